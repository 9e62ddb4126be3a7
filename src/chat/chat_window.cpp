#include "chat/chat_window.h"
#include "model/network.h"

#include "chat/chat_saving.h"
#include "chat/find_bar.h"
#include "chat/input_bar.h"
#include "chat/renderer.h"
#include "chat/title_bar_flasher.h"
#include "chat/transcript_links.h"
#include "transcript/transcript_view.h"
#include "model/chat_frame.h"
#include "common/line_sender.h"
#include "common/prompts.h"
#include "protocol/stream/line_connection.h"

#include <QMdiSubWindow>
#include <QStringList>

#include <cmath>

ChatWindow::ChatWindow(ChatFrame* frame, QWidget* parent)
    : QWidget(parent), frame_(frame), connection_(frame ? &frame->Connection() : nullptr),
      flasher_(new TitleBarFlasher([this] { return frame_ && frame_->IsActiveChild(this); }, this))
{
}

ChatWindow::~ChatWindow() = default;

void ChatWindow::SetFrame(ChatFrame* frame)
{
    frame_ = frame;
    if (frame) {
        connection_ = &frame->Connection();
        ownSender_.reset();
    }
}

void ChatWindow::SetConnection(LineConnection* connection)
{
    connection_ = connection;
    ownSender_.reset();
    if (connection && !frame_) ownSender_ = std::make_unique<LineSender>(*connection);
}

LineSender* ChatWindow::Sender() const
{
    if (frame_) return &frame_->Sender();
    return ownSender_.get();
}

void ChatWindow::WriteSendNote(const QString& note)
{
    MoveToAppendPosition(*transcript_);
    WriteSystemNote(*transcript_, note);
    transcript_->ScrollCaretIntoView();
}

void ChatWindow::DropWaitingLines(const QString& target)
{
    LineSender* sender = Sender();
    const int dropped = sender && !target.isEmpty() ? sender->DropTarget(target) : 0;
    if (dropped > 0)
        WriteSendNote(dropped == 1 ? QStringLiteral("1 waiting line was not sent.")
                                   : QStringLiteral("%1 waiting lines were not sent.").arg(dropped));
}

void ChatWindow::BuildChatParts()
{
    transcript_ = new TranscriptView(this);
    transcript_->setObjectName(QStringLiteral("transcript"));
    connect(transcript_, &TranscriptView::Change, this, &ChatWindow::onTranscriptChanged);
    FollowLinks(*transcript_, [this] { return frame_; });

    inputBar_ = new InputBar(this);
    new FindBar(transcript_, this, inputBar_);
    connect(inputBar_, &InputBar::EnterPressed, this, &ChatWindow::onInputEntered);
    connect(inputBar_, &InputBar::LinesPasted, this, &ChatWindow::onLinesPasted);
}

QString ChatWindow::OwnNick() const { return frame_ ? frame_->CurrentNick() : ownNick_; }

QString ChatWindow::InputText() const { return inputBar_->Text(); }

void ChatWindow::NoteSpeaker(const QString& nick) { inputBar_->NoteSpeaker(nick); }

void ChatWindow::ConnectionLost(bool byUser)
{
    MoveToAppendPosition(*transcript_);
    WriteSystemNote(*transcript_, byUser ? QStringLiteral("Disconnected from the server.")
                                         : QStringLiteral("The connection to the server was lost"));
}

void ChatWindow::ConnectionEndedBecause(const QString& why)
{
    MoveToAppendPosition(*transcript_);
    WriteSystemNote(*transcript_, why);
}

bool ChatWindow::WatchChildFrame(QMdiSubWindow* frame, std::function<void()> activated)
{
    if (!frame || !flasher_->Watch(frame)) return false;
    connect(frame, &QMdiSubWindow::windowStateChanged, this,
            [this, activated = std::move(activated)](Qt::WindowStates oldState, Qt::WindowStates newState) {
                if (!(newState & Qt::WindowActive) || (oldState & Qt::WindowActive)) return;
                flasher_->Rest();
                if (activated) activated();
            });
    return true;
}

void ChatWindow::StartAttention() { flasher_->Start(); }

void ChatWindow::StopAttention() { flasher_->Stop(); }

bool ChatWindow::Flashing() const { return flasher_->IsFlashing(); }

bool ChatWindow::FlashLit() const { return flasher_->IsLit(); }

void ChatWindow::onSaveClicked()
{
    AskAndSaveTranscript(this, *transcript_, frame_ ? frame_->AccountFolder() : QString());
}

bool ChatWindow::SendLinesOrNote(const std::vector<std::string>& lines, const QString& target,
                                 std::function<void()> onSent)
{
    MoveToAppendPosition(*transcript_);
    return SendOrTell(Sender(), lines, target, this, std::move(onSent));
}

QString PasteQuestion(int lines, const QString& target, int milliseconds)
{
    const int seconds = static_cast<int>(std::ceil(milliseconds / 1000.0));
    return QStringLiteral("Send %1 lines to %2? About %3 s.").arg(lines).arg(target).arg(seconds);
}

void ChatWindow::SendPastedLines(const QStringList& pasted, const QString& target,
                                 const std::function<std::vector<std::string>(const QString&)>& wireLinesOf,
                                 const std::function<void(const QString&)>& echo)
{
    QStringList lines;
    std::vector<std::vector<std::string>> wire;
    std::vector<std::size_t> sizes;
    for (const QString& line : pasted) {
        if (line.trimmed().isEmpty()) continue;
        lines << line;
        wire.push_back(wireLinesOf(line));
        for (const std::string& bytes : wire.back()) sizes.push_back(bytes.size() + 2);
    }
    if (lines.isEmpty()) return;
    LineSender* sender = Sender();
    if (!sender) {
        WriteSendNote(kNotConnectedNote);
        return;
    }
    if (sizes.size() > static_cast<std::size_t>(kPasteLinesWithoutAsking) &&
        !prompts().Confirm(this, QStringLiteral("Paste"),
                           PasteQuestion(static_cast<int>(sizes.size()), target, sender->MillisecondsToSend(sizes))))
        return;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i);
        if (!SendLinesOrNote(wire[static_cast<std::size_t>(i)], target, [echo, line] { echo(line); })) return;
    }
}

void ChatWindow::onTranscriptChanged()
{
    MoveToAppendPosition(*transcript_);
    transcript_->ScrollCaretIntoView();
}

void ChatWindow::HoldLayoutWhileLinesCome()
{
    if (holdingLayout_ || !frame_ || !frame_->NetworkModel().InLines()) return;
    holdingLayout_ = true;
    transcript_->BeginBatch();
    connect(
        &frame_->NetworkModel(), &Network::LinesEnded, this,
        [this] {
            holdingLayout_ = false;
            transcript_->EndBatch();
        },
        Qt::SingleShotConnection);
}
