#include "chat/chat_window.h"

#include "chat/chat_saving.h"
#include "chat/find_bar.h"
#include "chat/input_bar.h"
#include "chat/renderer.h"
#include "chat/transcript_links.h"
#include "chat/transcript_view.h"
#include "common/chat_frame.h"
#include "protocol/stream/line_connection.h"

ChatWindow::ChatWindow(ChatFrame* frame, QWidget* parent)
    : QWidget(parent), frame_(frame), connection_(frame ? &frame->Connection() : nullptr)
{
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

void ChatWindow::onSaveClicked()
{
    AskAndSaveTranscript(this, *transcript_, frame_ ? frame_->AccountFolder() : QString());
}

bool ChatWindow::WriteLinesOrNote(const std::vector<std::string>& lines)
{
    MoveToAppendPosition(*transcript_);
    try {
        if (!connection_)
            throw TransportError("not connected");
        connection_->WriteLines(lines);
    } catch (const TransportError&) {
        WriteSystemNote(*transcript_, kNotConnectedNote);
        return false;
    }
    return true;
}

void ChatWindow::onTranscriptChanged()
{
    MoveToAppendPosition(*transcript_);
    transcript_->ScrollCaretIntoView();
}
