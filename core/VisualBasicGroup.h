#pragma once

#include "GroupFile.h"
#include "Outcome.h"

#include <QString>

// Visual Basic's own group file (".vbg"), as its IDE writes it in the ANSI code page:
//   VBGROUP 5.0
//   StartupProject=Server\Server.vbp
//   Project=..\Shared\Shared.vbp
// with paths relative to the group file's folder. It is archived as Quenzar's own groups are: the
// group name is the file's name without ".vbg", the backup folder the default one of its first project.

// A file whose upper-cased name ends with ".VBG".
bool IsVisualBasicGroupFile(const QString &path);

// The startup project first, then the other projects in file order; a project named twice (the startup
// project listed again as Project=, in another case or with the other separator) is taken once, and
// lines of any other kind are passed over. Fails for a file whose first line is not "VBGROUP", and for
// one that lists no project.
Outcome<GroupForArchiving> ReadVisualBasicGroup(const QString &filePath);

// The groups the window and quenzar-cli archive: Quenzar's own (".vbpgroup") and Visual Basic's.
bool IsArchivableGroupFile(const QString &path);
Outcome<GroupForArchiving> ReadAnyGroupForArchiving(const QString &filePath);
