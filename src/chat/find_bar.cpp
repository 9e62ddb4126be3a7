#include "chat/find_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStyle>
#include <QTextBlock>
#include <QToolButton>

namespace {

const QColor kMatchBackground(0xFF, 0xC8, 0x50);

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

FindBar::FindBar(QPlainTextEdit* view, QWidget* host)
    : QFrame(view), view_(view)
{
    setObjectName(QStringLiteral("FindBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    findEdit = new QLineEdit(this);
    findEdit->setObjectName(QStringLiteral("FindEdit"));
    findEdit->setPlaceholderText(tr("Find"));
    findEdit->setClearButtonEnabled(true);
    countLabel = new QLabel(this);
    countLabel->setObjectName(QStringLiteral("FindCount"));
    QToolButton* previous = BarButton(this, QStringLiteral("FindPrevious"), tr("Previous match (Shift+Enter)"),
                                      QStyle::SP_ArrowUp);
    QToolButton* next = BarButton(this, QStringLiteral("FindNext"), tr("Next match (Enter)"), QStyle::SP_ArrowDown);
    QToolButton* close = BarButton(this, QStringLiteral("FindClose"), tr("Close (Escape)"),
                                   QStyle::SP_TitleBarCloseButton);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 2, 3, 2);
    layout->setSpacing(2);
    layout->addWidget(findEdit, 1);
    layout->addWidget(countLabel);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(close);

    connect(findEdit, &QLineEdit::textEdited, this, &FindBar::Search);
    connect(previous, &QToolButton::clicked, this, &FindBar::FindPrevious);
    connect(next, &QToolButton::clicked, this, &FindBar::FindNext);
    connect(close, &QToolButton::clicked, this, &FindBar::Close);
    connect(view_->document(), &QTextDocument::contentsChange, this, [this] { textStale_ = true; });
    findEdit->installEventFilter(this);
    view_->installEventFilter(this);

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
    findEdit->setFocus();
    findEdit->selectAll();
    if (!findEdit->text().isEmpty())
        Search(findEdit->text());
}

void FindBar::Close()
{
    hide();
    view_->setExtraSelections({});
    view_->setFocus();
}

const QString& FindBar::Text()
{
    if (textStale_) {
        text_ = view_->document()->toPlainText();
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
        Search(findEdit->text());
    if (matches_.isEmpty())
        return;
    const int count = int(matches_.size());
    current_ = (current_ + count + by) % count;
    ShowCurrent();
}

QString FindBar::CountText() const
{
    if (findEdit->text().isEmpty())
        return QString();
    if (matches_.isEmpty())
        return tr("No match");
    return tr("%1 of %2").arg(current_ + 1).arg(matches_.size());
}

void FindBar::ShowCurrent()
{
    countLabel->setText(CountText());
    if (current_ < 0) {
        view_->setExtraSelections({});
        QTextCursor unmarked = view_->textCursor();
        unmarked.clearSelection();
        view_->setTextCursor(unmarked);
        return;
    }
    QTextCursor found(view_->document());
    found.setPosition(matches_.at(current_));
    found.setPosition(matches_.at(current_) + int(findEdit->text().size()), QTextCursor::KeepAnchor);
    QTextEdit::ExtraSelection mark;
    mark.cursor = found;
    mark.format.setBackground(kMatchBackground);
    view_->setExtraSelections({mark});
    view_->setTextCursor(found);
    view_->centerCursor();
}

void FindBar::Place()
{
    const int width = qMin(view_->width() - 8, qMax(260, sizeHint().width()));
    setGeometry(view_->width() - width - 4, 4, width, sizeHint().height());
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_ && event->type() == QEvent::Resize && isVisible())
        Place();
    if (watched == findEdit && event->type() == QEvent::KeyPress) {
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
