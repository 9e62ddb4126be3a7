#include "chat/private_window.h"
#include "chat/chat_saving.h"

#include "chat/find_bar.h"
#include "chat/input_bar.h"
#include "chat/transcript_links.h"
#include "chat/nick_icons.h"
#include "chat/renderer.h"
#include "chat/command_runner.h"
#include "chat/typed_commands.h"
#include "chat/transcript_view.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/sent_lines.h"
#include "common/app_icons.h"
#include "common/chat_frame.h"
#include "common/prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 128, 0);
const QColor kGrey(128, 128, 128);
const QColor kRed(255, 0, 0);

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
    : QWidget(parent)
{
    BuildWindow();
}

void PrivateWindow::BuildWindow()
{
    setObjectName(QStringLiteral("PrivateWindow"));

    // A plain strip rather than a QToolBar: this window is made once per new
    // partner, and a QToolBar loads its extension button's picture each time.
    ToolBar1 = new QWidget(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    auto* bar = new QHBoxLayout(ToolBar1);
    bar->setContentsMargins(2, 1, 2, 1);
    bar->setSpacing(1);
    ToolButton1 = ToolButton(ToolBar1, QStringLiteral("ToolButton1"), BarIcon(0), tr("Ignore this user"));
    ToolButton4 = ToolButton(ToolBar1, QStringLiteral("ToolButton4"), BarIcon(1), tr("Save Chat"));
    ToolButton3 = ToolButton(ToolBar1, QStringLiteral("ToolButton3"), BarIcon(2), tr("Exit"));
    bar->addStretch(1);

    titleid = new QLineEdit(QStringLiteral("0"), this);
    titleid->setObjectName(QStringLiteral("titleid"));
    titleid->hide();

    transcript_ = new TranscriptView(this);
    transcript_->setObjectName(QStringLiteral("transcript"));
    new FindBar(transcript_, this);
    FollowLinks(*transcript_, [this] { return frame_; });

    Panel2 = new InputBar(this);
    Panel2->SetCompletionNicks([this] { return QStringList{TrimControls(Title())}; });
    ToolButton5 = Panel2->ToolButton5;
    ToolButton6 = Panel2->ToolButton6;
    ToolButton7 = Panel2->ToolButton7;
    colorcomo = Panel2->colorcomo;
    iconcomo = Panel2->iconcomo;
    Edit1 = Panel2->Edit1;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(transcript_, 1);
    layout->addWidget(Panel2);

    connect(transcript_, &TranscriptView::Change, this, &PrivateWindow::privchatChange);
    connect(Panel2, &InputBar::EnterPressed, this, &PrivateWindow::edit1KeyDown);
    connect(ToolButton1, &QToolButton::clicked, this, &PrivateWindow::ToolButton1Click);
    connect(ToolButton3, &QToolButton::clicked, this, &PrivateWindow::ToolButton3Click);
    connect(ToolButton4, &QToolButton::clicked, this, &PrivateWindow::ToolButton4Click);

    setFocusProxy(Edit1);
    resize(kWidth, kHeight);
}

void PrivateWindow::SetTitle(const QString& nick)
{
    setWindowTitle(nick);
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
    if (event->type() == QEvent::ParentChange)
        WatchChildFrame();
    else if (event->type() == QEvent::Close && event->isAccepted())
        emit Closed();
    return handled;
}

// Once inside a child-window frame, the window goes back to its default size
// every time it becomes the active child.
void PrivateWindow::WatchChildFrame()
{
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!frame || frame == watchedFrame_)
        return;
    watchedFrame_ = frame;
    connect(frame, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates oldState, Qt::WindowStates newState) {
                if (!(oldState & Qt::WindowActive) && (newState & Qt::WindowActive)) {
                    ApplyDefaultSize();
                    Edit1->setFocus();
                }
            });
}

void PrivateWindow::privchatChange()
{
    MoveToAppendPosition(*transcript_);
    transcript_->ScrollCaretIntoView();
}

void PrivateWindow::AppendIncomingLine(const QString& sender, const QString& text, IncomingKind kind)
{
    TranscriptView::Batch batch(*transcript_);
    MoveToAppendPosition(*transcript_);
    QColor colour = kBlue;
    StartPlainLine(*transcript_);
    switch (kind) {
    case IncomingKind::AwayReply:
        StyledInsert(*transcript_, kBlue, false, std::nullopt, Title() + QStringLiteral(" is away(Auto Reply): "));
        break;
    case IncomingKind::Notice:
        Edit1->setReadOnly(true);
        Edit1->setEnabled(false);
        colour = kRed;
        StyledInsert(*transcript_, kRed, false, std::nullopt, Title() + QStringLiteral(" (Notice): "));
        break;
    case IncomingKind::Message:
        if (sender == QLatin1String("NickServ") || sender == QLatin1String("MemoServ"))
            Edit1->setReadOnly(true);
        break;
    }
    StyledInsert(*transcript_, colour, false, std::nullopt, sender + QStringLiteral(": "));
    transcript_->SetSelColor(kBlack);
    transcript_->SetSelBold(false);
    RenderFormatted(*transcript_, text, RenderMode::Incoming);
    transcript_->SetSelText(QStringLiteral("\n"));
}

void PrivateWindow::PartnerQuit(const QString& nick, const QString& reason)
{
    MoveToAppendPosition(*transcript_);
    StartPlainLine(*transcript_);
    StyledInsert(*transcript_, kGrey, true, true, nick + QStringLiteral(" has lost connection. ") + reason + u'\n');
    Edit1->setReadOnly(true);
}

void PrivateWindow::edit1KeyDown()
{
    // A partner who has gone, or a connection that has ended, takes nothing.
    if (Edit1->isReadOnly() || !Edit1->isEnabled())
        return;
    RunTypedLine(*Panel2, *transcript_, [this](const TypedLine& line) { RunTypedCommand(line); },
                 [this](const QString& line) { return SendMessage(line); });
}

bool PrivateWindow::SendMessage(const QString& line)
{
    MoveToAppendPosition(*transcript_);
    try {
        if (!connection_)
            throw TransportError("Not connected.");
        connection_->WriteLines(sent::PrivateMessageLines(NameOnWire(Title()), ToWire(line)));
    } catch (const TransportError&) {
        WriteSystemNote(*transcript_, QStringLiteral("You are not connected to a server: nothing was sent"));
        return false;
    }
    TranscriptView::Batch batch(*transcript_);
    StartPlainLine(*transcript_);
    StyledInsert(*transcript_, kGreen, true, false, QStringLiteral("you said: "));
    transcript_->SetSelColor(kBlack);
    transcript_->SetSelBold(false);
    RenderFormatted(*transcript_, line, RenderMode::Echo);
    transcript_->SetSelText(QStringLiteral("\n"));
    return true;
}

void PrivateWindow::ConnectionLost(bool byUser)
{
    MoveToAppendPosition(*transcript_);
    WriteSystemNote(*transcript_, byUser ? QStringLiteral("Disconnected from the server.")
                                 : QStringLiteral("The connection to the server was lost"));
}

void PrivateWindow::ToolButton1Click()
{
    emit IgnorePartner(Title());
    CloseWindow();
}

void PrivateWindow::ToolButton3Click()
{
    CloseWindow();
}

void PrivateWindow::ToolButton4Click()
{
    AskAndSaveTranscript(this, *transcript_, frame_ ? frame_->AccountFolder() : QString());
}

void PrivateWindow::CloseWindow()
{
    OuterWindow()->close();
}

void PrivateWindow::ConnectionEndedBecause(const QString& why)
{
    MoveToAppendPosition(*transcript_);
    WriteSystemNote(*transcript_, why);
}
