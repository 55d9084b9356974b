#pragma once

#include <QStringList>

// Exit statuses of quenzar-cli. ExitIncomplete: an archive was written, or is sound, without files
// that were missing, which its comment lists.
enum ExitStatus { ExitDone = 0, ExitFailed = 1, ExitUsage = 2, ExitIncomplete = 3 };

// Each command takes its own arguments (the command name first) and returns an exit status.
int ArchiveCommand(const QStringList &arguments);
int ListCommand(const QStringList &arguments);
int RestoreCommand(const QStringList &arguments);
int VerifyCommand(const QStringList &arguments);
int HistoryCommand(const QStringList &arguments);
int DiffCommand(const QStringList &arguments);
