#pragma once

#include <QString>

// The name and version of the zip library behind the engine, for example "libzip 1.7.3".
QString ComponentVersionText();
