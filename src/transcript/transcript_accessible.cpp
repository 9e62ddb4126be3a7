#include "transcript/transcript_accessible.h"

#include "transcript/transcript_view.h"

#include <QAccessibleWidget>

namespace {

// A transcript as assistive technology sees it: read-only text whose value
// is what is on screen.
class TranscriptAccessible : public QAccessibleWidget {
public:
    explicit TranscriptAccessible(TranscriptView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

    QString text(QAccessible::Text kind) const override
    {
        const auto* view = static_cast<const TranscriptView*>(widget());
        if (kind == QAccessible::Value)
            return VisibleText(*view);
        if (kind == QAccessible::Name && view->accessibleName().isEmpty())
            return QStringLiteral("Transcript");
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State shown = QAccessibleWidget::state();
        shown.readOnly = true;
        shown.multiLine = true;
        return shown;
    }

private:
    static QString VisibleText(const TranscriptView& view)
    {
        QStringList lines;
        for (const TranscriptScroller::ShownLine& row : view.Scroller().Shown())
            lines << view.Store().PlainTextOf(row.line).remove(QChar::ObjectReplacementCharacter);
        return lines.join(u'\n');
    }
};

QAccessibleInterface* TranscriptFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TranscriptView") && object && object->isWidgetType())
        return new TranscriptAccessible(static_cast<TranscriptView*>(object));
    return nullptr;
}

}  // namespace

void InstallTranscriptAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(TranscriptFactory);
        return true;
    }();
    (void)installed;
}
