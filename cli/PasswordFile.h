#pragma once

#include "Outcome.h"

#include <QString>
#include <QStringList>

// The password in the first line of a file, or of standard input for "-". Passwords never come
// on the command line, where other users of the machine can read them. A line that is not UTF-8
// text is refused.
Outcome<QString> ReadPasswordFile(const QString &path);

#include <QCommandLineOption>

class QCommandLineParser;

// Reads --password-file when it was given into password; false, with the reason printed, when it
// cannot be read.
bool ReadPasswordOption(const QCommandLineParser &parser, const QCommandLineOption &option, QString &password);

// --password-file as restore and verify take it.
QCommandLineOption OpenPasswordFileOption();

// Parses the arguments of a restore or verify: the archive they name first, which must be a file
// (further arguments only when more are allowed), and its password when --password-file was
// given. False, with the reason or the help printed, when the command must not go on.
bool ParseArchiveArguments(QCommandLineParser &parser, const QStringList &arguments,
                           const QCommandLineOption &passwordFile, QString &archive, QString &password,
                           bool moreAllowed = false);
