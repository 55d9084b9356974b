#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QTextStream>

QTextStream &Out();
QTextStream &Err();

// Parses a command's arguments, expecting `positionals` positional ones, or that many at least when
// more are allowed; prints the help or the error itself. False when the command must not go on.
bool ParseArguments(QCommandLineParser &parser, const QStringList &arguments, qsizetype positionals,
                    bool moreAllowed = false);
// Applies --codepage when given; false, with a message, for a name no converter knows.
bool ApplyCodePage(const QCommandLineParser &parser, const QCommandLineOption &option);

// Prints rows in columns as wide as their widest cell; the last column is not padded.
void PrintTable(const QList<QStringList> &rows);

// --json: the command prints its result as one JSON document on standard output (warnings stay on
// standard error). Keys are lower case with underscores; sizes are numbers of bytes; times are
// local ISO 8601 ("2026-12-08T05:45:38").
QCommandLineOption JsonOption();
void PrintJson(const QJsonObject &document);
