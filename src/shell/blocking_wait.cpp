#include "shell/blocking_wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <thread>

namespace blocking_wait {

namespace {
int active = 0;  // UI thread only
}  // namespace

constexpr int kLongWaitMs = 20;

bool Active() { return active > 0; }

void RunOnWorker(const std::function<void()>& job)
{
    QEventLoop loop;
    auto done = std::make_shared<std::atomic<bool>>(false);
    bool quitSeen = false;       // UI thread: the worker's last event arrived
    std::exception_ptr failure;  // nothing may leave the worker thread but through here
    struct Activity {
        Activity() { ++active; }
        ~Activity() { --active; }
    } activity;
    std::thread worker([&job, &loop, &failure, &quitSeen, done] {
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        done->store(true);
        // Queued behind whatever the job posted itself, so those events are
        // handled first. The call is dropped if the loop is gone by then.
        QMetaObject::invokeMethod(&loop, [&loop, &quitSeen] {
            quitSeen = true;
            loop.quit();
        }, Qt::QueuedConnection);
    });
    // exec may also return early when the application quits, or throw when an
    // application object without a catch point lets a handler's failure out;
    // either way the worker is joined before its captures go out of scope.
    struct Joiner {
        std::thread& thread;
        ~Joiner() { thread.join(); }
    } joiner{worker};
    // The wait ends when the worker's last event is handled, not when the job
    // is done: a job that ends before the loop first runs has still posted
    // its events, and they come first.
    while (!quitSeen) {
        loop.exec(QEventLoop::AllEvents);
        if (quitSeen) break;
        if (done->load()) {
            // A loop that returns at once (the application is quitting) runs
            // nothing: hand over what the job posted directly.
            QCoreApplication::sendPostedEvents();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (failure) std::rethrow_exception(failure);  // written before done was set
}

}  // namespace blocking_wait

std::string ReadLineWhilePainting(LineConnection& conn, int timeoutMs, const std::function<void()>& beforeWait)
{
    // A line already received costs no thread; a long burst still lets the
    // window repaint now and then, and a click on Cancel through.
    static QElapsedTimer sincePaint;
    if (!sincePaint.isValid()) sincePaint.start();
    std::string line = conn.ReadLine(0);
    if (!line.empty()) {
        if (sincePaint.elapsed() > 50) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            sincePaint.restart();
        }
        return line;
    }
    if (timeoutMs == 0) {
        if (beforeWait) beforeWait();
        return line;
    }
    // Most reads in a burst return within a moment; beforeWait runs only when
    // the wait turns out to be a real one.
    QTimer longWait;
    longWait.setSingleShot(true);
    if (beforeWait) QObject::connect(&longWait, &QTimer::timeout, beforeWait);
    longWait.start(blocking_wait::kLongWaitMs);
    line = RunBlocking([&conn, timeoutMs] { return conn.ReadLine(timeoutMs); });
    sincePaint.restart();
    return line;
}

void ConnectWhilePainting(LineConnection& conn)
{
    RunBlocking([&conn] { conn.Connect(); });
}
