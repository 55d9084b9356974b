#pragma once

#include "frmMain.h"

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>

// Waits of the window tests: the window archives and restores on a thread of its own, so a click
// returns at once and what the run shows arrives through the event loop. Each spins that loop until
// what it waits for has happened, or gives up after its timeout; none sleeps.

// Spins the event loop until condition holds (checked every millisecond), at most timeout; whether
// it holds.
inline bool SpinUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

// Until the window's run, if one is going, has ended and shown its result.
inline void WaitForRun(frmMain &window, std::chrono::milliseconds timeout = std::chrono::minutes(2))
{
    if (!window.IsRunning())
        return;
    QEventLoop loop;
    QObject::connect(&window, &frmMain::runFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(window.IsRunning()) << "the run did not end in time";
}
