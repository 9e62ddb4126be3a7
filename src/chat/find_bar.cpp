#include "chat/find_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStyle>

#include "transcript/transcript_view.h"
#include <QToolButton>

namespace {

QToolButton* BarButton(QWidget* parent, const QString& name, const QString& hint, QStyle::StandardPixmap icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setIcon(parent->style()->standardIcon(icon));
    return button;
}

}  // namespace

QList<int> FindAllMatches(const QString& haystack, const QString& needle)
{
    QList<int> found;
    if (needle.isEmpty())
        return found;
    for (qsizetype at = haystack.indexOf(needle, 0, Qt::CaseInsensitive); at >= 0;
         at = haystack.indexOf(needle, at + 1, Qt::CaseInsensitive))
        found << int(at);
    return found;
}

FindBar::FindBar(TranscriptView* view, QWidget* host, QWidget* returnFocus)
    : FindBar(view, host,
              {[view] { return view->toPlainText(); },
               [view](int start, int length) { view->ShowMatch(start, length); }},
              returnFocus)
{
    connect(view, &TranscriptView::Change, this, [this] { textStale_ = true; });
}

FindBar::FindBar(QAbstractScrollArea* view, QWidget* host, Target target, QWidget* returnFocus)
    : QFrame(view), view_(view), target_(std::move(target)), returnFocus_(returnFocus ? returnFocus : view)
{
    setObjectName(QStringLiteral("findBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    findLine_ = new QLineEdit(this);
    findLine_->setObjectName(QStringLiteral("findLine"));
    findLine_->setPlaceholderText(tr("Find"));
    findLine_->setClearButtonEnabled(true);
    countLabel_ = new QLabel(this);
    countLabel_->setObjectName(QStringLiteral("matchCount"));
    QToolButton* previous = BarButton(this, QStringLiteral("previousMatchButton"), tr("Previous match (Shift+Enter)"),
                                      QStyle::SP_ArrowUp);
    QToolButton* next = BarButton(this, QStringLiteral("nextMatchButton"), tr("Next match (Enter)"), QStyle::SP_ArrowDown);
    QToolButton* close = BarButton(this, QStringLiteral("closeFindButton"), tr("Close (Escape)"),
                                   QStyle::SP_TitleBarCloseButton);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 2, 3, 2);
    layout->setSpacing(2);
    layout->addWidget(findLine_, 1);
    layout->addWidget(countLabel_);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(close);

    connect(findLine_, &QLineEdit::textEdited, this, &FindBar::Search);
    connect(previous, &QToolButton::clicked, this, &FindBar::FindPrevious);
    connect(next, &QToolButton::clicked, this, &FindBar::FindNext);
    connect(close, &QToolButton::clicked, this, &FindBar::Close);
    findLine_->installEventFilter(this);
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);  // a scroll bar that comes or goes narrows it

    auto* shortcut = new QShortcut(QKeySequence::Find, host);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, &FindBar::Open);
    hide();
}

void FindBar::Open()
{
    Place();
    show();
    raise();
    findLine_->setFocus();
    findLine_->selectAll();
    if (!findLine_->text().isEmpty())
        Search(findLine_->text());
}

void FindBar::Close()
{
    hide();
    target_.show(0, 0);
    // Typing goes on where it was going before the search: the transcript
    // itself takes no typing.
    returnFocus_->setFocus();
}

const QString& FindBar::Text()
{
    if (textStale_) {
        text_ = target_.text();
        textStale_ = false;
    }
    return text_;
}

void FindBar::Search(const QString& text)
{
    matches_ = FindAllMatches(Text(), text);
    current_ = matches_.isEmpty() ? -1 : int(matches_.size()) - 1;
    ShowCurrent();
}

void FindBar::FindNext() { Step(1); }

void FindBar::FindPrevious() { Step(-1); }

void FindBar::Step(int by)
{
    // What came in meanwhile counts too.
    if (textStale_)
        Search(findLine_->text());
    if (matches_.isEmpty())
        return;
    const int count = int(matches_.size());
    current_ = (current_ + count + by) % count;
    ShowCurrent();
}

QString FindBar::CountText() const
{
    if (findLine_->text().isEmpty())
        return QString();
    if (matches_.isEmpty())
        return tr("No match");
    return tr("%1 of %2").arg(current_ + 1).arg(matches_.size());
}

void FindBar::ShowCurrent()
{
    countLabel_->setText(CountText());
    if (current_ < 0)
        target_.show(0, 0);
    else
        target_.show(matches_.at(current_), int(findLine_->text().size()));
}

void FindBar::Place()
{
    // Inside the text area: over the scroll bar the close button would be
    // cut off.
    const QRect area = view_->viewport()->geometry();
    const int width = qMin(area.width() - 8, qMax(260, sizeHint().width()));
    setGeometry(area.right() + 1 - width - 4, area.top() + 4, width, sizeHint().height());
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    // The type first: while the view is being torn down it is no longer a
    // scroll area, and asking it for its viewport then is undefined.
    if (event->type() == QEvent::Resize && isVisible() && (watched == view_ || watched == view_->viewport()))
        Place();
    if (watched == findLine_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier)
                FindPrevious();
            else
                FindNext();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
