#pragma once

#include "ScopedEnvironment.h"
#include "TempTree.h"

// A user of the test's own: settings in the tree's "config" and "machine" folders, and an
// American English locale, whatever the machine running the test has.
inline void UseOwnUser(ScopedEnvironment &environment, const TempTree &tree)
{
    environment.set("XDG_CONFIG_HOME", tree.makeFolder("config").toUtf8());
    environment.set("XDG_CONFIG_DIRS", tree.makeFolder("machine").toUtf8());
    environment.set("LANG", "en_US.UTF-8");
    environment.unset("LC_ALL");
    environment.unset("LC_MESSAGES");
}
