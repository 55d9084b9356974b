#include "Interruption.h"

#include <QFile>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <pthread.h>
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

// The handler only passes the signal on to the thread that acts on it: nothing else is safe
// inside a handler.
int signalPipe[2] = {-1, -1};

void PassOn(int signal)
{
    const char number = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &number, 1);
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

void *WaitForSignals(void *)
{
    char number = 0;
    while (::read(signalPipe[0], &number, 1) != 1) {
    }
    RemoveAndExit(number);
}

} // namespace

// A handler, not a blocked signal mask: programs the window starts (the file manager, the browser)
// inherit the mask, and would then ignore the signals themselves. The waiting thread is a plain
// detached pthread: nothing of it is allocated on the heap, where a program that ends at once
// (quenzar-cli --version) could leave it before the thread had taken it.
void RemoveWorkOnSignals()
{
    static std::once_flag started;
    std::call_once(started, [] {
        pthread_t waiter;
        if (::pipe2(signalPipe, O_CLOEXEC) != 0 || ::pthread_create(&waiter, nullptr, WaitForSignals, nullptr) != 0)
            return;
        ::pthread_detach(waiter);
        struct sigaction action = {};
        action.sa_handler = PassOn;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            ::sigaction(signal, &action, nullptr);
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
