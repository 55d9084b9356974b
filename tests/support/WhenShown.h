#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Acts on a modal window of type Window as soon as it is on screen, from inside its own event loop.
// A window the action leaves open is rejected and fails the test, so that a test never blocks.
template <typename Window>
void WhenShown(std::function<void(Window &)> action)
{
    auto *poll = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, waited, action] {
        auto *window = qobject_cast<Window *>(QApplication::activeModalWidget());
        if (!window) {
            if (++*waited > 500) {
                ADD_FAILURE() << "the window never showed";
                poll->deleteLater();
                poll->stop();
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        action(*window);
        if (window->isVisible()) {
            ADD_FAILURE() << "the window was left open";
            window->reject();
        }
    });
    poll->start(10);
}
