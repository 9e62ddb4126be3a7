#include "common/line_breaks.h"

#include <QLineEdit>

#include <algorithm>

namespace {

bool IsLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

}  // namespace

QString FlattenLineBreaks(const QString& text)
{
    if (std::none_of(text.cbegin(), text.cend(), IsLineBreak)) return text;
    QString flat;
    flat.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!IsLineBreak(c)) {
            flat += c;
            continue;
        }
        // CR LF is one line break.
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        flat += u' ';
    }
    return flat;
}

QStringList SplitPastedLines(const QString& text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!IsLineBreak(c)) {
            current += c;
            continue;
        }
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
        lines << current;
        current.clear();
    }
    if (!current.isEmpty() || lines.isEmpty()) lines << current;
    return lines;
}

QValidator::State LineBreakFilter::validate(QString& input, int& pos) const
{
    if (std::none_of(input.cbegin(), input.cend(), IsLineBreak))
        return Acceptable;
    // A CR LF pair shrinks to one space: keep the caret after the same text.
    const int removedBeforeCaret =
        static_cast<int>(input.left(pos).size() - FlattenLineBreaks(input.left(pos)).size());
    input = FlattenLineBreaks(input);
    pos = qBound(0, pos - removedBeforeCaret, static_cast<int>(input.size()));
    return Acceptable;
}

void KeepOnOneLine(QLineEdit* field)
{
    field->setValidator(new LineBreakFilter(field));
}
