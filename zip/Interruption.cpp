#include "Interruption.h"

#include <QFile>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace Interruption {
namespace {

struct Registered {
    QByteArray path;
    Removal removal;
};

// A recursive lock: WithoutInterruption's work may register and forget paths itself.
std::recursive_mutex &Lock()
{
    static std::recursive_mutex lock;
    return lock;
}

// Ordered by registration: the newest is removed first, so that a file made inside a registered
// folder goes before the folder.
std::map<quint64, Registered> &Paths()
{
    static std::map<quint64, Registered> paths;
    return paths;
}

quint64 nextId = 1;

void Remove(const Registered &registered)
{
    std::error_code ignored;
    const std::filesystem::path path(registered.path.toStdString());
    switch (registered.removal) {
    case Removal::File:
        std::filesystem::remove(path, ignored);
        break;
    case Removal::Tree:
        std::filesystem::remove_all(path, ignored);
        break;
    case Removal::EmptyFolder:
        ::rmdir(registered.path.constData());
        break;
    }
}

sigset_t AwaitedSignals()
{
    sigset_t awaited;
    sigemptyset(&awaited);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&awaited, signal);
    return awaited;
}

// The lock is never given back: the program ends while holding it, so no work starts meanwhile.
[[noreturn]] void RemoveAndExit(int signal)
{
    Lock().lock();
    for (auto registered = Paths().rbegin(); registered != Paths().rend(); ++registered)
        Remove(registered->second);
    const char *name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
    std::fprintf(stderr, "\nInterrupted by %s: the unfinished work was removed.\n", name);
    std::fflush(stderr);
    ::_exit(128 + signal);
}

} // namespace

void RemoveWorkOnSignals()
{
    static std::once_flag started;
    std::call_once(started, [] {
        const sigset_t awaited = AwaitedSignals();
        pthread_sigmask(SIG_BLOCK, &awaited, nullptr);
        std::thread([awaited] {
            int signal = 0;
            while (sigwait(&awaited, &signal) != 0) {
            }
            RemoveAndExit(signal);
        }).detach();
    });
}

Registration::Registration(const QString &path, Removal removal)
{
    std::lock_guard guard(Lock());
    id_ = nextId++;
    Paths().emplace(id_, Registered{QFile::encodeName(path), removal});
}

Registration::~Registration() { Forget(); }

Registration::Registration(Registration &&other) noexcept : id_(other.id_) { other.id_ = 0; }

Registration &Registration::operator=(Registration &&other) noexcept
{
    if (this != &other) {
        Forget();
        id_ = other.id_;
        other.id_ = 0;
    }
    return *this;
}

void Registration::Forget()
{
    if (id_ == 0)
        return;
    std::lock_guard guard(Lock());
    Paths().erase(id_);
    id_ = 0;
}

void WithoutInterruption(const std::function<void()> &work)
{
    std::lock_guard guard(Lock());
    work();
}

} // namespace Interruption
