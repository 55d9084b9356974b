#pragma once

#include "ArchiveObserver.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QThread;

// An archive run or a restore, run on a thread of its own as desktop archive managers run theirs:
// the window keeps repainting and taking input however long it takes. What the run tells its
// observer reaches the window's observer on the window's thread, in the run's order (see
// ForwardingObserver). Asked to stop, the run sees it between chunks of its work (the observer's
// StopRequested) and ends within a fraction of a second, removing what it had begun.
class ArchiveJob : public QObject {
    Q_OBJECT

public:
    // What runs on the worker, with the observer that forwards to the window; it gives what to do
    // on the window's thread once it has ended (show its result), which may be nothing.
    using Work = std::function<std::function<void()>(ArchiveObserver &observer)>;

    // window: the observer that shows the runs, called on this object's thread only.
    explicit ArchiveJob(ArchiveObserver &window, QObject *parent = nullptr);
    // A run still going is asked to stop, and waited for.
    ~ArchiveJob() override;
    ArchiveJob(const ArchiveJob &) = delete;
    ArchiveJob &operator=(const ArchiveJob &) = delete;

    // Starts one run; nothing while another is going.
    void Start(Work work);
    // From Start until finished has been emitted.
    bool IsRunning() const { return running_; }
    void RequestStop();
    bool StopRequested() const { return stop_.load(); }

    // Runs call on the window's thread without waiting for it.
    void Post(std::function<void()> call);
    // Runs question on the window's thread and gives its answer, the caller's thread waiting
    // meanwhile; whenStopped, without asking or without waiting any longer, once the run is asked
    // to stop. For the worker only: on the window's thread it would wait forever.
    template <typename Answer>
    Answer AskWindow(std::function<Answer()> question, Answer whenStopped);

signals:
    // On the window's thread, once the run has ended and what it gave has been done, after
    // everything it told its observer.
    void finished();

private:
    void Ended(const std::function<void()> &then);

    ArchiveObserver &window_;
    QThread *thread_ = nullptr;
    bool running_ = false;
    std::atomic<bool> stop_ = false;
    std::mutex answerLock_; // guards the answers AskWindow waits for, and the stop it may see instead
    std::condition_variable answered_;
};

template <typename Answer>
Answer ArchiveJob::AskWindow(std::function<Answer()> question, Answer whenStopped)
{
    // Shared: a question still open when the caller gives up writes its answer here all the same.
    auto answer = std::make_shared<std::optional<Answer>>();
    Post([this, answer, question = std::move(question)] {
        if (StopRequested())
            return;
        Answer given = question();
        {
            std::lock_guard guard(answerLock_);
            *answer = std::move(given);
        }
        answered_.notify_all();
    });
    std::unique_lock guard(answerLock_);
    answered_.wait(guard, [&] { return answer->has_value() || StopRequested(); });
    return answer->has_value() ? std::move(**answer) : std::move(whenStopped);
}
