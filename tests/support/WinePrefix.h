#pragma once

#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <QFile>

// A Wine prefix inside the tree whose drive D: is the tree's folder "drive-d" and whose network
// shares lie below "wine/dosdevices/unc"; WINEPREFIX points at it while the environment lives.
inline bool MakeWinePrefix(const TempTree &tree, ScopedEnvironment &environment)
{
    tree.makeFolder("wine/dosdevices/unc");
    tree.makeFolder("drive-d");
    environment.set("WINEPREFIX", tree.path("wine").toUtf8());
    return QFile::link(tree.path("drive-d"), tree.path("wine/dosdevices/d:"));
}
