#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QTextStream>

#include <limits>

QTextStream &Out();
QTextStream &Err();
// Flushes standard output; false, saying why on standard error, when what was printed did not reach
// it whole (a full disk, a closed file): a listing a script reads must never be cut short unnoticed.
bool OutputWritten();

// Parses a command's arguments (the command's name first), expecting `positionals` positional ones,
// or from fewest to most; prints the help, headed "Usage: quenzar-cli COMMAND", or the error itself.
// False when the command must not go on.
bool ParseArguments(QCommandLineParser &parser, const QStringList &arguments, qsizetype positionals);
bool ParseArguments(QCommandLineParser &parser, const QStringList &arguments, qsizetype fewest, qsizetype most);
// `most` for a command that takes any number of arguments from `fewest` on.
inline constexpr qsizetype kAnyNumber = std::numeric_limits<qsizetype>::max();
// Applies --codepage when given and not empty; false, with a message, for a name no converter knows.
bool ApplyCodePage(const QCommandLineParser &parser, const QCommandLineOption &option);

// Prints rows in columns as wide as their widest cell; the last column is not padded.
void PrintTable(const QList<QStringList> &rows);

// --json: the command prints its result as one JSON document on standard output (warnings stay on
// standard error). Keys are lower case with underscores; sizes are numbers of bytes; times are
// local ISO 8601 ("2026-12-08T05:45:38").
QCommandLineOption JsonOption();
// A CRC-32 as the text and JSON output write it: eight hexadecimal digits, as unzip -v prints it.
QString Crc32Text(quint32 crc);
void PrintJson(const QJsonObject &document);
