#include "events/chat_session.h"
#include "model/network.h"

#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "model/chat_frame.h"
#include "common/wire_text.h"
#include "events/line_drain.h"

#include <QMetaObject>
#include <QWidget>

ChatSession::ChatSession(ChatFrame& frame, QString ownnick, std::size_t queueLines, QObject* parent,
                         std::size_t queueBytes)
    : QObject(parent),
      frame_(frame),
      ownnick_(std::move(ownnick)),
      queue_(std::make_shared<LineQueue>(queueLines, queueBytes)),
      drain_(new LineDrain(*this, queue_, this))
{
    connect(drain_, &LineDrain::ReaderStopped, this, &ChatSession::ReaderEnded);
}

ChatSession::~ChatSession()
{
    DisposeReader();
}

void ChatSession::StartReader(LineConnection& connection, LoginFeed* login)
{
    DisposeReader();
    drain_->FeedLogin(login);
    reader_ = std::make_unique<ReaderThread>(connection, ownnick_.toStdString(), *queue_, *drain_, login != nullptr);
}

void ChatSession::EndLogin()
{
    if (reader_) reader_->EndLogin();
    drain_->ReleaseLogin();
}

bool ChatSession::LoggingIn() const { return drain_->LoggingIn(); }

bool ChatSession::StopReaderWithin(std::chrono::milliseconds timeout)
{
    if (!reader_) return true;
    reader_->Terminate();
    return reader_->WaitFor(timeout);
}

void ChatSession::DisposeReader()
{
    reader_.reset();  // joins the thread
}

void ChatSession::FinishLines()
{
    if (ending_) return;
    ending_ = true;
    for (QWidget* w : frame_.ChildWindows())
        if (auto* partner = qobject_cast<PrivateWindow*>(w)) NotePrivateWindow(TrimControls(partner->Title()));
    connect(drain_, &LineDrain::Emptied, this, &ChatSession::LinesDone, Qt::UniqueConnection);
    drain_->DrainRest();
}

void ChatSession::FinishLinesNow()
{
    FinishLines();
    drain_->DrainAll();
}

void ChatSession::FollowRename(const QString& oldNick, const QString& newNick)
{
    QString listed = ignoredAs_.take(oldNick);
    if (listed.isEmpty() && frame_.IsIgnored(oldNick)) listed = oldNick;
    if (listed.isEmpty() || listed == newNick)
        ignoredAs_.remove(newNick);
    else
        ignoredAs_.insert(newNick, listed);
}

bool ChatSession::IsIgnored(const QString& nick) const { return frame_.IsIgnored(nick) || IgnoredUnderOldName(nick); }

bool ChatSession::IgnoredUnderOldName(const QString& nick) const
{
    const auto it = ignoredAs_.constFind(nick);
    return it != ignoredAs_.cend() && frame_.IsIgnored(*it);
}

bool ChatSession::HadPrivateWindow(const QString& partner) const
{
    return endedPartners_.contains(partner.toCaseFolded());
}

void ChatSession::NotePrivateWindow(const QString& partner)
{
    if (ending_) endedPartners_.insert(partner.toCaseFolded());
}

Network& ChatSession::Model() const { return frame_.NetworkModel(); }

void ChatSession::JoinBatch(TranscriptView* view)
{
    if (!draining_ || !view) return;
    for (const auto& v : batchedViews_)
        if (v == view) return;
    view->BeginBatch();
    batchedViews_.emplace_back(view);
}

void ChatSession::BeginLines()
{
    draining_ = true;
    Model().BeginLines();
}

void ChatSession::EndLines()
{
    auto views = std::move(batchedViews_);
    batchedViews_.clear();
    draining_ = false;
    for (const auto& v : views)
        if (v) v->EndBatch();
    Model().EndLines();
    // Activating a child window costs more the more windows are open (the
    // area restacks every one): during a flood from many partners it waits
    // until the drain has caught up, instead of coming once per slice.
    if (frontWanted_ && !drain_->HasLines()) QueueFront();
}

void ChatSession::BringToFrontSoon(QWidget* w)
{
    frontPending_ = w;
    frontWanted_ = true;
    // Inside a drain the front changes when the drain ends (EndLines).
    if (!draining_) QueueFront();
}

void ChatSession::QueueFront()
{
    frontWanted_ = false;
    if (frontQueued_) return;
    frontQueued_ = true;
    QMetaObject::invokeMethod(this, [this] {
        frontQueued_ = false;
        QWidget* w = frontPending_;
        frontPending_ = nullptr;
        if (!w || frame_.CurrentChild() == w) return;
        // While the user types, the keyboard stays where it is: the window is
        // marked and calls for attention, and comes to the front when the
        // user picks it.
        if (frame_.UserTyping()) {
            frame_.NoteMention(w, w->windowTitle(), QString());
            return;
        }
        frame_.BringToFront(w);
    }, Qt::QueuedConnection);
}
