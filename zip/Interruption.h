#pragma once

#include <QString>
#include <functional>

// What a run is making beside the user's files (a temporary archive, a restore folder not yet
// whole, a stamp folder it created) must not outlive the run when it is interrupted: Ctrl-C, a
// stopped timer or a logout would otherwise leave partial files behind, some of them large.
namespace Interruption {

// From now on SIGINT, SIGTERM and SIGHUP remove what is registered and end the program with
// 128 + the signal number, as a shell reports a process ended by it. Called first in main;
// programs that never call it keep the default handling.
void RemoveWorkOnSignals();

// How a registered path is removed.
enum class Removal {
    File,        // unlinked
    Tree,        // a folder with all it holds
    EmptyFolder, // a folder, only when nothing else was put in it
};

// A path registered for removal on interruption for as long as the object lives.
class Registration {
public:
    Registration() = default;
    Registration(const QString &path, Removal removal);
    ~Registration();
    Registration(Registration &&other) noexcept;
    Registration &operator=(Registration &&other) noexcept;
    Registration(const Registration &) = delete;
    Registration &operator=(const Registration &) = delete;

    // The path is no longer the run's to remove (it was published, or removed already).
    void Forget();

private:
    quint64 id_ = 0;
};

// Runs work while an interruption cannot remove anything, so that a step which turns a registered
// path into a kept one (a rename into place) and the Forget that follows happen as one.
void WithoutInterruption(const std::function<void()> &work);

} // namespace Interruption
