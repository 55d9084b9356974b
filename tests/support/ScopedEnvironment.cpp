#include "ScopedEnvironment.h"

#include <QtGlobal>

void ScopedEnvironment::remember(const char *name)
{
    saved_.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
}

void ScopedEnvironment::set(const char *name, const QByteArray &value)
{
    remember(name);
    qputenv(name, value);
}

void ScopedEnvironment::unset(const char *name)
{
    remember(name);
    qunsetenv(name);
}

ScopedEnvironment::~ScopedEnvironment()
{
    // Newest first, so a variable set twice ends as it was before the first change.
    for (auto saved = saved_.crbegin(); saved != saved_.crend(); ++saved) {
        if (saved->wasSet)
            qputenv(saved->name, saved->value);
        else
            qunsetenv(saved->name);
    }
}
