#pragma once

#include "Outcome.h"

#include <QString>

// The password in the first line of a file, or of standard input for "-". Passwords never come
// on the command line, where other users of the machine can read them.
Outcome<QString> ReadPasswordFile(const QString &path);
