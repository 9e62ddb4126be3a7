#include "chat/private_window.h"
#include "chat/history_lines.h"

#include "common/line_sender.h"

#include "chat/chat_colors.h"
#include "chat/command_runner.h"
#include "chat/input_bar.h"
#include "chat/nick_icons.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"
#include "chat/typed_commands.h"
#include "common/app_icons.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/irc/sent_lines.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using namespace chat_colors;

namespace {

// The tool bar's pictures, made once: a flood of new partners makes many windows.
const QIcon& BarIcon(int which)
{
    static const QIcon icons[] = {
        NickIcon(kIgnoredIcon),
        QApplication::style()->standardIcon(QStyle::SP_DialogSaveButton),
        GlyphIcon(Glyph::Exit),  // the frame's own exit picture
    };
    return icons[which];
}

QToolButton* ToolButton(QWidget* bar, const QString& name, const QIcon& icon, const QString& hint)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    // As on a tool bar: the buttons take no keyboard focus, so that typing
    // into a window that has just come up can never press one.
    button->setFocusPolicy(Qt::NoFocus);
    bar->layout()->addWidget(button);
    return button;
}

}  // namespace

PrivateWindow::PrivateWindow(QWidget* parent)
    : ChatWindow(nullptr, parent)
{
    setObjectName(QStringLiteral("privateWindow"));

    // A plain strip rather than a QToolBar: this window is made once per new
    // partner, and a QToolBar loads its extension button's picture each time.
    auto* toolBar = new QWidget(this);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    auto* bar = new QHBoxLayout(toolBar);
    bar->setContentsMargins(2, 1, 2, 1);
    bar->setSpacing(1);
    QToolButton* ignore = ToolButton(toolBar, QStringLiteral("ignoreButton"), BarIcon(0), tr("Ignore this user"));
    QToolButton* save = ToolButton(toolBar, QStringLiteral("saveButton"), BarIcon(1), tr("Save Chat"));
    QToolButton* close = ToolButton(toolBar, QStringLiteral("closeButton"), BarIcon(2), tr("Exit"));
    bar->addStretch(1);

    BuildChatParts();
    Input().SetCompletionNicks([this] { return QStringList{TrimControls(Title())}; });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(&Transcript(), 1);
    layout->addWidget(&Input());

    connect(ignore, &QToolButton::clicked, this, &PrivateWindow::onIgnoreClicked);
    connect(save, &QToolButton::clicked, this, &PrivateWindow::onSaveClicked);
    connect(close, &QToolButton::clicked, this, &PrivateWindow::CloseWindow);

    setFocusProxy(&Input());
    resize(kWidth, kHeight);
}

QWidget* PrivateWindow::OuterWindow()
{
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    return frame ? static_cast<QWidget*>(frame) : this;
}

void PrivateWindow::ApplyDefaultSize()
{
    QWidget* outer = OuterWindow();
    if (outer->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        return;
    outer->resize(kWidth, kHeight);
}

bool PrivateWindow::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange) {
        // Once inside a child-window frame, the window goes back to its
        // default size every time it becomes the active child.
        WatchChildFrame(qobject_cast<QMdiSubWindow*>(parentWidget()), [this] {
            ApplyDefaultSize();
            Input().FocusLine();
        });
    } else if (event->type() == QEvent::Close && event->isAccepted()) {
        StopAttention();
        if (LineSender* sender = Sender()) sender->DropTarget(Title());  // the window goes with what it was to say
        emit Closed();
    }
    return handled;
}

void PrivateWindow::AppendIncomingLine(const QString& sender, const QString& text, IncomingKind kind)
{
    TranscriptView& transcript = Transcript();
    TranscriptView::Batch batch(transcript);
    MoveToAppendPosition(transcript);
    QColor colour = kBlue;
    StartPlainLine(transcript);
    switch (kind) {
    case IncomingKind::AwayReply:
        StyledInsert(transcript, kBlue, false, std::nullopt, Title() + QStringLiteral(" is away(Auto Reply): "));
        break;
    case IncomingKind::Notice:
        Input().Lock();
        colour = kRed;
        StyledInsert(transcript, kRed, false, std::nullopt, Title() + QStringLiteral(" (Notice): "));
        break;
    case IncomingKind::Message:
        if (sender == QLatin1String("NickServ") || sender == QLatin1String("MemoServ"))
            Input().MakeReadOnly();
        break;
    }
    StyledInsert(transcript, colour, false, std::nullopt, sender + QStringLiteral(": "));
    SetSelColor(transcript, kBlack);
    SetSelBold(transcript, false);
    RenderFormatted(transcript, text, RenderMode::Incoming);
    SetSelText(transcript, QStringLiteral("\n"));
}

void PrivateWindow::AppendIncomingAction(const QString& sender, const QString& action)
{
    TranscriptView& transcript = Transcript();
    TranscriptView::Batch batch(transcript);
    MoveToAppendPosition(transcript);
    WriteActionLine(transcript, sender, action);
}

void PrivateWindow::PartnerQuit(const QString& nick, const QString& reason)
{
    TranscriptView& transcript = Transcript();
    MoveToAppendPosition(transcript);
    StartPlainLine(transcript);
    StyledInsert(transcript, kGrey, true, true, nick + QStringLiteral(" has lost connection. ") + reason + u'\n');
    KeepPrivateLine(*this, QString(), HistoryKind::Event, nick + QStringLiteral(" has lost connection. ") + reason);
    Input().MakeReadOnly();
}

void PrivateWindow::onInputEntered()
{
    if (!Input().TakesInput())
        return;
    RunTypedLine(Input(), Transcript(), [this](const TypedLine& line) { RunTypedCommand(line); },
                 [this](const QString& line) { return SendMessage(line); });
}

bool PrivateWindow::SendMessage(const QString& line)
{
    return SendLinesOrNote(sent::PrivateMessageLines(NameOnWire(Title()), ToWire(line)), Title(),
                           [this, line] { EchoOwnLine(line); });
}

void PrivateWindow::EchoOwnLine(const QString& line)
{
    TranscriptView& transcript = Transcript();
    TranscriptView::Batch batch(transcript);
    MoveToAppendPosition(transcript);
    StartPlainLine(transcript);
    StyledInsert(transcript, kGreen, true, false, QStringLiteral("you said: "));
    SetSelColor(transcript, kBlack);
    SetSelBold(transcript, false);
    RenderFormatted(transcript, line, RenderMode::Echo);
    SetSelText(transcript, QStringLiteral("\n"));
    KeepPrivateLine(*this, OwnNick(), HistoryKind::Message, line);
}

void PrivateWindow::onLinesPasted(const QStringList& lines)
{
    if (!Input().TakesInput()) return;
    SendPastedLines(
        lines, Title(),
        [this](const QString& line) { return sent::PrivateMessageLines(NameOnWire(Title()), ToWire(line)); },
        [this](const QString& line) { EchoOwnLine(line); });
}

void PrivateWindow::onIgnoreClicked()
{
    emit IgnorePartner(Title());
    CloseWindow();
}

void PrivateWindow::CloseWindow()
{
    OuterWindow()->close();
}
