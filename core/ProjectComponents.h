#pragma once

#include "Outcome.h"

#include <QList>
#include <QString>

// The components a Visual Basic 6 project needs where it opens, which its project file names but
// no archive can hold: they are registered on the machine, not copied beside the sources.
//     Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX
//     Reference=*\G{00020430-0000-0000-C000-000000000046}#2.0#0#C:\Windows\System32\stdole2.tlb#OLE Automation
// An Object= line names a control library (its type library's GUID, version, locale, and file
// name); a Reference= line a library the code calls (GUID, version, locale, path, description).
// Either may name, after "*\A", another project of a group instead, whose build supplies it:
//     Object=*\ATabExCtl.vbp
//     Reference=*\A..\Shared\Shared.vbp

struct ProjectComponent {
    enum class Kind { Control, Library };
    Kind kind = Kind::Control;
    QString guid;                   // "{...}" as written; empty for a project of the group
    QString version;                // "2.0"
    QString locale;                 // the locale number, "0" for neutral
    QString file;                   // a control's file name, a library's path, or the project file ("*\A"), as written
    QString description;            // a library's, as written; empty for a control
    bool project = false;           // file names another project ("*\A")
    bool providedByWindows = false; // file lies in Windows' system folder (see InWindowsSystemFolder)
    QString line;                   // the project file line
};

// The result of looking at one line: not a component, a component, or an Object= or Reference=
// line of no form Visual Basic writes (problem says why).
struct ComponentLine {
    enum class Status { NotComponent, Component, Malformed };
    Status status = Status::NotComponent;
    ProjectComponent component;
    QString problem;
};

ComponentLine ParseComponentLine(const QString &line);

// Whether a path as a project file writes it lies in the system folder of Windows, where Windows
// keeps what it provides itself: "System32", "SysWOW64" or "System" of the Windows folder
// ("C:\Windows", "C:\WINNT", "C:\WINXP"...), on any drive or reached by climbing with "..\", and
// "Common Files\System" of the program files (the data access libraries Windows carries). Case does
// not count. Only the path tells: a bare file name never lies there, and a library that a setup
// program copied into the system folder is taken as Windows' own too.
bool InWindowsSystemFolder(const QString &path);

// Every component line of the project file, in order, malformed ones included.
Outcome<QList<ComponentLine>> ReadProjectComponents(const QString &projectFilePath);

// How many of the components are controls and libraries to register where the project opens,
// and how many the others are: Windows' own, and those another project of the group builds.
struct ComponentCount {
    qsizetype controls = 0;
    qsizetype libraries = 0;
    qsizetype providedByWindows = 0;
    qsizetype fromProjects = 0;
    qsizetype total() const { return controls + libraries + providedByWindows + fromProjects; }
};
ComponentCount CountComponents(const QList<ComponentLine> &lines);
