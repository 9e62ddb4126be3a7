#pragma once
// Single-line text fields: line breaks pasted or dropped into them become
// spaces, so that what the field holds can go out as one line.
#include <QString>
#include <QStringList>
#include <QValidator>

class QLineEdit;

// text with every line break made one space; CR LF counts as one break.
// Line breaks are LF, CR, U+2028 and U+2029.
QString FlattenLineBreaks(const QString& text);

// Pasted text cut at its line breaks (CR LF counts as one); a break at the
// very end makes no empty last line.
QStringList SplitPastedLines(const QString& text);

// A field's validator that turns line breaks into spaces as text comes in,
// keeping the caret after the same text.
class LineBreakFilter : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// Gives `field` a LineBreakFilter (owned by the field) as its validator.
void KeepOnOneLine(QLineEdit* field);
