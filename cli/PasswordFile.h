#pragma once

#include "Outcome.h"

#include <QString>

// The password in the first line of a file, or of standard input for "-". Passwords never come
// on the command line, where other users of the machine can read them.
Outcome<QString> ReadPasswordFile(const QString &path);

class QCommandLineParser;
class QCommandLineOption;

// Reads --password-file when it was given into password; false, with the reason printed, when it
// cannot be read.
bool ReadPasswordOption(const QCommandLineParser &parser, const QCommandLineOption &option, QString &password);
