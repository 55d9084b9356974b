#include "ArchiveJob.h"

#include "ForwardingObserver.h"

#include <QThread>

ArchiveJob::ArchiveJob(ArchiveObserver &window, QObject *parent) : QObject(parent), window_(window) {}

// The run's questions give up waiting, so the worker ends; what it had queued for the window goes
// with this object.
ArchiveJob::~ArchiveJob()
{
    if (!thread_)
        return;
    RequestStop();
    thread_->wait();
    delete thread_;
}

void ArchiveJob::Start(Work work)
{
    if (running_)
        return;
    running_ = true;
    stop_ = false;
    thread_ = QThread::create([this, work = std::move(work)] {
        ForwardingObserver observer(*this, window_);
        const std::function<void()> then = work(observer);
        Post([this, then] { Ended(then); });
    });
    thread_->start();
}

void ArchiveJob::RequestStop()
{
    {
        std::lock_guard guard(answerLock_);
        stop_ = true;
    }
    answered_.notify_all();
}

void ArchiveJob::Post(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

// The worker has nothing left to do but return.
void ArchiveJob::Ended(const std::function<void()> &then)
{
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    if (then)
        then();
    running_ = false;
    emit finished();
}
