#include "shell/main_form.h"

#include "events/chat_session.h"
#include "events/line_drain.h"
#include "shell/about_box.h"
#include "shell/application.h"
#include "shell/child_frame.h"
#include "shell/login_dialog.h"
#include "shell/paint_pacer.h"
#include "shell/product_info.h"
#include "common/prompts.h"
#include "common/timings.h"
#include "common/wire_text.h"
#include "protocol/sent_lines.h"
#include "side/room_list_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMutexLocker>
#include <QThread>

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    pacer_ = new PaintPacer(this, [this] { return LinesWaiting(); });
    BuildWindow();
    InstallTypedCommandHelpers();
    ApplySendLimits();
    // The connection may open on a worker thread (the login keeps its window
    // painted that way); its handlers always run here, on the UI thread.
    IdTCPClient1.onConnected = [this] {
        if (QThread::currentThread() == thread())
            IdTCPClient1Connected();
        else
            QMetaObject::invokeMethod(this, &TMainForm::IdTCPClient1Connected, Qt::QueuedConnection);
    };
    IdTCPClient1.onDisconnected = [this] {
        if (quietClose_) return;
        if (QThread::currentThread() == thread())
            IdTCPClient1Disconnected();
        else
            QMetaObject::invokeMethod(this, &TMainForm::IdTCPClient1Disconnected, Qt::QueuedConnection);
    };
    FormCreate();
}

TMainForm::~TMainForm()
{
    // The child windows go after this destructor has run; their last
    // activation signals must not reach a frame that is no longer one.
    if (mdiArea_) QObject::disconnect(mdiArea_, nullptr, this, nullptr);
    IdTCPClient1.onConnected = nullptr;
    IdTCPClient1.onDisconnected = nullptr;
    if (session_) StopReader(0, RestOfLines::Drop);
    DropRestOfLines();
    IdTCPClient1.Disconnect();
    // The child windows ask the frame for its connection and lists while they
    // go (activation changes): they go while the frame is still whole.
    if (mdiArea_) {
        for (QMdiSubWindow* sub : mdiArea_->subWindowList()) QObject::disconnect(sub, nullptr, this, nullptr);
        // The active window last: when the active window goes, the area
        // activates the next one, which takes as long as the windows open.
        qDeleteAll(mdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder));
    }
    // Private windows that outlive this destructor (closed ones awaiting
    // their deletion) must not reach an index that is gone.
    for (auto w = privateKeyOf_.keyBegin(); w != privateKeyOf_.keyEnd(); ++w)
        QObject::disconnect(*w, nullptr, this, nullptr);
}

void TMainForm::FormCreate()
{
    servercombo->setCurrentIndex(0);
}

QString TMainForm::CurrentNick() const
{
    QMutexLocker lock(&sharedLock_);
    return currentNick_;
}

void TMainForm::SetCurrentNick(const QString& nick)
{
    QMutexLocker lock(&sharedLock_);
    currentNick_ = nick;
}

QString TMainForm::PendingPrivateNick() const
{
    QMutexLocker lock(&sharedLock_);
    return pendingPrivateNick_;
}

void TMainForm::SetPendingPrivateNick(const QString& nick)
{
    QMutexLocker lock(&sharedLock_);
    pendingPrivateNick_ = nick;
}

QString TMainForm::WhoPurpose() const
{
    QMutexLocker lock(&sharedLock_);
    return whoPurpose_;
}

void TMainForm::SetWhoPurpose(const QString& purpose)
{
    QMutexLocker lock(&sharedLock_);
    whoPurpose_ = purpose;
}

bool TMainForm::HasIgnoreList() const
{
    QMutexLocker lock(&sharedLock_);
    return ignoreList_.has_value();
}

QStringList TMainForm::IgnoreList() const
{
    QMutexLocker lock(&sharedLock_);
    return ignoreList_ ? ignoreList_->Entries() : QStringList();
}

void TMainForm::SetIgnoreList(const std::optional<QStringList>& list)
{
    QMutexLocker lock(&sharedLock_);
    if (list)
        ignoreList_.emplace(*list);
    else
        ignoreList_.reset();
}

void TMainForm::ChangeIgnoreList(const std::function<void(IgnoreEntries&)>& change)
{
    QMutexLocker lock(&sharedLock_);
    if (!ignoreList_) ignoreList_.emplace();
    change(*ignoreList_);
}

bool TMainForm::IsIgnored(const QString& nick) const
{
    QMutexLocker lock(&sharedLock_);
    return ignoreList_ && ignoreList_->IsIgnored(nick);
}

chandler* TMainForm::ReaderThread() const { return session_ ? session_->Reader() : nullptr; }

QList<QWidget*> TMainForm::ChildWindows() const
{
    QList<QWidget*> out;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (sub->widget()) out << sub->widget();
    return out;
}

QMdiSubWindow* TMainForm::AddChildWindow(QWidget* child, const std::function<void(QMdiSubWindow*)>& prepare)
{
    QMdiSubWindow* sub = nullptr;
    // Read once: walking thousands of windows is the costly part of adding one.
    const ChildFrame::Survey others = ChildFrame::SurveyOf(mdiArea_, child);
    if (auto* frame = qobject_cast<ChildFrame*>(child)) {
        frame->AddToArea(others.anyPinned);
        sub = frame;
    } else {
        sub = mdiArea_->addSubWindow(child);
        ChildFrame::DropCloseKeys(sub);
    }
    sub->setAttribute(Qt::WA_DeleteOnClose);
    connect(sub, &QObject::destroyed, this, [this] { UpdateWindowActions(); }, Qt::QueuedConnection);
    if (child != sub) child->show();
    if (prepare) {
        // Sized and placed while still hidden: moving a window that is shown
        // repaints it and everything it uncovers, which a flood of new
        // windows would pay once per window.
        prepare(sub);
        PlaceNewChild(sub, others);
    } else {
        sub->show();
    }
    SetWindowActionsEnabled(true);
    // The frame's caption follows a maximised child's title, also when the
    // title becomes empty (a room window that left its room).
    connect(child, &QWidget::windowTitleChanged, sub, [this, sub](const QString& title) {
        // The sub-window keeps the last title that was not empty, and puts it
        // back into the frame's caption: empty it first.
        if (!title.isEmpty()) return;
        sub->setWindowTitle(QString());
        if (sub->isMaximized() && mdiArea_->activeSubWindow() == sub) setWindowTitle(product::kName);
    });
    return sub;
}

void TMainForm::PlaceNewChild(QMdiSubWindow* sub, const ChildFrame::Survey& others)
{
    if (sub->isMaximized() || others.anyMaximised) {
        sub->showMaximized();
        return;
    }
    // Cascade: each new window one title bar further down and right, starting
    // again at the top left before it would reach past the area's edge.
    constexpr int kStep = 24;
    const QSize area = mdiArea_->viewport()->size();
    const QSize size = sub->size();
    const int room = std::min(area.width() - size.width(), area.height() - size.height());
    const int positions = room < 0 ? 1 : room / kStep + 1;
    const int at = (others.shown % positions) * kStep;
    sub->move(at, at);
    // The area places each window it is given by weighing its overlap with
    // every window that has a position of its own, which grows with the
    // square of the windows open. The frame places its windows itself: the
    // area need not weigh this one for the next.
    sub->setAttribute(Qt::WA_Moved, false);
    if (!sub->isVisible()) sub->show();
}

QWidget* TMainForm::CurrentChild() const
{
    const QMdiSubWindow* active = mdiArea_->activeSubWindow();
    return active ? active->widget() : nullptr;
}

bool TMainForm::IsActiveChild(const QWidget* child) const
{
    const QMdiSubWindow* active = mdiArea_->activeSubWindow();
    return active && active->widget() == child && isActiveWindow();
}

void TMainForm::BringToFront(QWidget* child)
{
    auto* sub = child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
    if (!sub || sub->mdiArea() != mdiArea_ || sub->widget() != child) return;
    if (sub->isMinimized()) sub->showNormal();  // a maximised window stays maximised
    ChildFrame::BringToFront(mdiArea_, sub);
}

QList<QWidget*> TMainForm::PrivateWindowsNamed(const QString& partner) const
{
    QList<QWidget*> out;
    for (const QObject* w : privateByName_.value(TrimControls(partner).toCaseFolded()))
        out << static_cast<TForm3*>(const_cast<QObject*>(w));
    return out;
}

void TMainForm::IndexPrivateWindow(TForm3* w)
{
    PrivateKey key{TrimControls(w->Title()).toCaseFolded(), 0};
    const QObject* object = w;
    auto known = privateKeyOf_.find(object);
    if (known != privateKeyOf_.end()) {
        if (known->name == key.name) return;
        key.made = known->made;
        UnindexPrivateWindow(object);
    } else {
        key.made = ++privateMade_;
    }
    // Oldest first: a window renamed into a name that others have keeps its
    // place among them by when it was made.
    QList<const QObject*>& named = privateByName_[key.name];
    auto at = named.begin();
    while (at != named.end() && privateKeyOf_.value(*at).made < key.made) ++at;
    named.insert(at, object);
    privateKeyOf_.insert(object, key);
}

void TMainForm::UnindexPrivateWindow(const QObject* w)
{
    const auto known = privateKeyOf_.find(w);
    if (known == privateKeyOf_.end()) return;
    auto named = privateByName_.find(known->name);
    if (named != privateByName_.end()) {
        named->removeOne(w);
        if (named->isEmpty()) privateByName_.erase(named);
    }
    privateKeyOf_.erase(known);
}

QWidget* TMainForm::RoomListWindow() const { return form4_; }


void TMainForm::AppendLog(const QString& line) { form4_->AppendLogLine(line); }

void TMainForm::AppendLogLines(const QStringList& lines) { form4_->AppendLogLines(lines); }

TAboutBox* TMainForm::AboutBox()
{
    if (!aboutBox_) aboutBox_ = new TAboutBox(this);
    return aboutBox_;
}

void TMainForm::StartReader()
{
    if (session_) StopReader(0);  // an old reader that ended on its own
    FinishRestOfLines();          // the last connection's lines come before this one's
    session_ = new ChatSession(*this, CurrentNick(), ChatSession::kQueueLines, this);
    connect(session_, &ChatSession::ReaderEnded, this, &TMainForm::ReaderEndedByServer);
    session_->StartReader(IdTCPClient1);
}

void TMainForm::WaitForReader(int timeoutMs)
{
    if (!session_) return;
    // Every handler runs on this thread and the reader never waits for it
    // (a full queue gives way to the stop request), so a plain wait is safe.
    if (!session_->StopReaderWithin(std::chrono::milliseconds(timeoutMs))) IdTCPClient1.Disconnect();
}

void TMainForm::StopReader(int timeoutMs, RestOfLines rest)
{
    if (!session_) return;
    stoppingReader_ = true;
    if (!session_->StopReaderWithin(std::chrono::milliseconds(timeoutMs))) {
        // Cut the connection so that the waiting read returns; the closed
        // connection is reported by the caller once the lines that came
        // before the end have been handled.
        quietClose_ = true;
        IdTCPClient1.Disconnect();
        quietClose_ = false;
    }
    ChatSession* ending = session_;
    session_ = nullptr;
    ending->DisposeReader();
    disconnect(ending, &ChatSession::ReaderEnded, this, nullptr);
    // One ended connection at a time has lines left to show.
    FinishRestOfLines();
    if (rest == RestOfLines::Drop) {
        QCoreApplication::removePostedEvents(&ending->Drain());
        ending->deleteLater();
    } else {
        // The rest of the lines go on arriving in slices, so the disconnected
        // look and every other ending step come at once, whatever was queued.
        endingSession_ = ending;
        connect(ending, &ChatSession::LinesDone, this, [this, ending] {
            if (endingSession_ != ending) return;
            endingSession_ = nullptr;
            ending->deleteLater();
            const auto steps = std::exchange(afterLastLines_, {});
            for (const auto& step : steps) step();
        });
        ending->FinishLines();
    }
    stoppingReader_ = false;
}

bool TMainForm::LinesWaiting() const
{
    return (session_ && session_->Drain().HasLines()) || (endingSession_ && endingSession_->Drain().HasLines());
}

void TMainForm::AfterLastLines(std::function<void()> step)
{
    if (endingSession_)
        afterLastLines_ << std::move(step);
    else
        step();
}

void TMainForm::FinishRestOfLines()
{
    if (endingSession_) endingSession_->FinishLinesNow();  // its last line runs the waiting steps
}

void TMainForm::DropRestOfLines()
{
    ChatSession* ending = std::exchange(endingSession_, nullptr);
    if (!ending) return;
    QCoreApplication::removePostedEvents(&ending->Drain());
    ending->deleteLater();
    // The steps are the ending's notes in the log and the windows, all going now.
    afterLastLines_.clear();
}

void TMainForm::ReaderEndedByServer(const QString& error, bool unexpected)
{
    // The server's side of the story is in the log already, if it said anything.
    if (stoppingReader_ || !session_) return;
    // A server that stopped taking lines said nothing: the user hears why
    // the connection went.
    const QString stall = QString::fromStdString(IdTCPClient1.StallText());
    const bool inWindows = loggedIn_;
    StopReader(0);
    if (!stall.isEmpty()) AfterLastLines([this, stall] { AppendLog(stall); });  // before "Disconnected.."
    CloseConnection();
    if (!stall.isEmpty()) {
        // After the windows' "lost" note, the windows say why as well.
        if (inWindows) AfterLastLines([this, stall] { TellWindowsWhyConnectionEnded(stall); });
        AfterLastLines([this, stall] { prompts().Error(this, stall); });
    }
    // A failure in the reader itself is no transport error: it is reported
    // like any failure that no handler caught.
    if (unexpected) AfterLastLines([error] { TalvessaApplication::ShowException(error); });
}

void TMainForm::SettleEndedReader()
{
    if (session_) {
        StopReader(0);
        CloseConnection();
    }
    FinishRestOfLines();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // A login dialog is open, perhaps with an exchange (its own or its
    // registration dialog's) waiting on the server: that is called off and
    // the dialogs close first; the frame follows as soon as they have gone.
    bool dialogOpen = false;
    for (TForm5* dialog : findChildren<TForm5*>(Qt::FindDirectChildrenOnly)) {
        if (!dialog->isVisible() && !dialog->Busy()) continue;
        dialogOpen = true;
        connect(dialog, &QDialog::finished, this, &QWidget::close,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        dialog->Abandon();
    }
    if (dialogOpen) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::FormClose()
{
    // Closing does not wait for lines to be rendered into windows that go.
    DropRestOfLines();
    if (!session_) return;
    if (IdTCPClient1.Connected())
        QuitAndStopReader(RestOfLines::Drop);
    else
        StopReader(0, RestOfLines::Drop);  // the server went first; there is nobody left to say goodbye to
    CloseConnection();
}

void TMainForm::QuitAndStopReader(RestOfLines rest)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timing().readerStopMs);
    const auto left = [&] {
        return std::max(std::chrono::milliseconds(0),
                        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
    };
    if (ReaderThread()) ReaderThread()->Terminate();
    bool quitSent = false;
    try {
        IdTCPClient1.WriteLine(sent::QuitLine());
        // A server that is taking lines takes the quit at once; one that has
        // not done so within a second is not reading, never sees the quit,
        // and is not waited for.
        quitSent = IdTCPClient1.WaitUntilSent(std::min(left(), std::chrono::milliseconds(1000)));
    } catch (const TransportError&) {
        // The connection broke under us, or the server stopped taking lines
        // long ago; the user asked to be disconnected and is.
    }
    // The reader ends when the server answers the quit by closing; a server
    // that does not is cut off after the wait, which ends the reader's read.
    if (quitSent && ReaderThread()) ReaderThread()->WaitFor(left());
    StopReader(0, rest);  // the lines that came before the end come first
}

void TMainForm::ApplySendLimits()
{
    LineConnection::SendLimits limits = IdTCPClient1.Limits();
    limits.stall = std::chrono::milliseconds(timing().sendStallMs);
    IdTCPClient1.SetLimits(limits);
}
