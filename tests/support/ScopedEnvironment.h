#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include "QtPrinting.h"

// Sets environment variables for one test and puts back what was there before.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const char *name, const QByteArray &value) { set(name, value); }
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

    void set(const char *name, const QByteArray &value);
    void unset(const char *name);

private:
    void remember(const char *name);

    struct Saved {
        const char *name;
        bool wasSet;
        QByteArray value;
    };
    QList<Saved> saved_;
};
