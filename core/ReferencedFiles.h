#pragma once

#include "ProjectFile.h"

#include <QIODevice>
#include <QStringList>

// Forms, user controls, property pages, user documents and designers name the binary files that
// hold their pictures and data inside their own text, as a quoted name, a colon and an offset:
//     Icon = "Task.frx":0000
// Usually that is the companion of the same name, but real projects also use another stem
// ("Task(TaskMan).frm" uses "Task.frx") or a designer's ".dsx".

// Whether members of this kind can reference such files.
bool MayReferenceBinaryFiles(MemberKind kind);

// The file names referenced in the member's property section, as written, each once, in order.
// An unreadable file references nothing (reading the member itself fails later, where it is told).
QStringList ReferencedBinaryFiles(const QString &memberFile);
// The same, read from a device open for reading (a member's text taken from an archive).
QStringList ReferencedBinaryFiles(QIODevice &member);

// The same files as paths the way the project file writes paths ("Forms\Task.frx"): in the
// member's folder. A name with a folder of its own is not followed.
QStringList ReferencedFilePaths(const ProjectMember &member, const QString &memberFile);
