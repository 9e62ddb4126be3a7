#include "shell/main_form.h"

#include "events/line_drain.h"
#include "side/room_list_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMutexLocker>

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    BuildWindow();
}

TMainForm::~TMainForm()
{
    if (reader_) StopReader(0);
}

void TMainForm::BuildWindow()
{
    setObjectName("TMainForm");
    setWindowTitle("Talvessa");
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName("MdiArea");
    setCentralWidget(mdiArea_);
    form4_ = new TForm4;
    AddChildWindow(form4_);
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
    return ignoreList_.value_or(QStringList());
}

void TMainForm::SetIgnoreList(const std::optional<QStringList>& list)
{
    QMutexLocker lock(&sharedLock_);
    ignoreList_ = list;
}

bool TMainForm::IsIgnored(const QString& nick) const
{
    QMutexLocker lock(&sharedLock_);
    return ignoreList_ && ignoreList_->contains(nick);
}

chandler* TMainForm::ReaderThread() const { return reader_.get(); }

QList<QWidget*> TMainForm::ChildWindows() const
{
    QList<QWidget*> out;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (sub->widget()) out << sub->widget();
    return out;
}

QMdiSubWindow* TMainForm::AddChildWindow(QWidget* child)
{
    QMdiSubWindow* sub = mdiArea_->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    child->show();
    sub->show();
    return sub;
}

bool TMainForm::IsActiveChild(const QWidget* child) const
{
    const QMdiSubWindow* active = mdiArea_->activeSubWindow();
    return active && active->widget() == child && isActiveWindow();
}

void TMainForm::BringToFront(QWidget* child)
{
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        if (sub->widget() == child) {
            sub->showNormal();
            mdiArea_->setActiveSubWindow(sub);
            sub->raise();
        }
}

void TMainForm::AppendLog(const QString& line) { form4_->AppendLogLine(line); }

void TMainForm::StartReader()
{
    queue_ = std::make_shared<LineQueue>(8192);
    drain_ = new LineDrain(*this, queue_, CurrentNick());
    reader_ = std::make_unique<chandler>(IdTCPClient1, CurrentNick().toStdString(), *queue_, *drain_);
}

void TMainForm::StopReader(int timeoutMs)
{
    if (!reader_) return;
    stoppingReader_ = true;
    reader_->Terminate();
    if (!reader_->WaitFor(std::chrono::milliseconds(timeoutMs))) IdTCPClient1.Disconnect();
    reader_.reset();  // joins the thread
    QCoreApplication::removePostedEvents(drain_);
    drain_->DrainAll();
    drain_->deleteLater();
    drain_ = nullptr;
    queue_.reset();
    stoppingReader_ = false;
}

void TMainForm::ReaderEndedByServer(const QString& error)
{
    (void)error;
    if (stoppingReader_ || !reader_) return;
    IdTCPClient1.Disconnect();
    StopReader(0);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    event->accept();
}
