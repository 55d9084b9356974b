#pragma once

#include "FixedStamp.h"
#include "TempTree.h"

#include <QStringList>

// quenzar-cli as the tests run it; QUENZAR_CLI, set by the test's target, names the program built.
inline const QString kCli = QStringLiteral(QUENZAR_CLI);

// Runs quenzar-cli to its end: its exit status, and both streams in *output when given.
inline int RunCli(const QStringList &arguments, QByteArray *output = nullptr)
{
    return RunProgram(kCli, arguments, output);
}

// What the program printed, as text without the last line end.
inline QString Output(const QByteArray &bytes) { return QString::fromUtf8(bytes).trimmed(); }
