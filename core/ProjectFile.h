#pragma once

#include "Outcome.h"

#include <QString>
#include <optional>

// What Quenzar knows of the Visual Basic 6 project file (".vbp"): plain key=value lines, some of
// which name the source files of the project.

// RelatedDoc: a document the project keeps beside its sources (a read-me, a help text),
// which Visual Basic lists in the project window but does not compile.
enum class MemberKind { Module, Class, Form, UserControl, PropertyPage, ResFile32, UserDocument, Designer, RelatedDoc };

// Whether files of this kind are text (Visual Basic source, whatever their line ends), as every
// member is but the resource file. Their companions and the binary files they name never are.
bool IsTextMember(MemberKind kind);

// Whether the project cannot open without the member's file: every kind but a related document,
// whose absence Visual Basic passes over. A missing one is recorded, never a failure.
bool IsRequiredMember(MemberKind kind);

// One member line, parsed.
struct ProjectMember {
    MemberKind Kind = MemberKind::Module;
    QString Name;                        // Module and Class only, exactly as written
    QString Path;                        // as written, without double quotes and surrounding blanks
    std::optional<QString> CompanionExt; // ".frx", ".ctx" or ".pgx"
};

// The result of looking at one line: not a member, a member, or a member line that names no
// usable file (which must be reported with its line, never guessed into a path). A related
// document given as a web address ("http://...", "mailto:...") is no member: it names no file of
// the project, and its line stays as it is.
struct MemberLine {
    enum class Status { NotMember, Member, Malformed };
    Status status = Status::NotMember;
    ProjectMember member;
    QString line;    // the line looked at
    QString problem; // why a malformed line cannot be used
};

MemberLine ParseMemberLine(const QString &line);

// The prefix a member line of this kind starts with, for example "Form=".
QString MemberPrefix(MemberKind kind);

// The member path with the extension of its file name replaced: Forms\Main.frm, ".frx" gives
// Forms\Main.frx.
QString CompanionPath(const QString &path, const QString &ext);

// Replaces every character that a file name cannot hold by "_"; the length stays the same.
QString SanitizeFileName(const QString &text);

// Name and version of a project; the caller sets the defaults, which lines with an empty value
// leave as they are.
struct ProjectIdentity {
    QString ProjectName;
    QString ProjectMajorVer = QStringLiteral("0");
    QString ProjectMinorVer = QStringLiteral("0");
    QString ProjectRevisionVer = QStringLiteral("0");
};

// Reads the whole project file: updates the identity from the Name=, MajorVer=, MinorVer= and
// RevisionVer= lines and gives the number of lines, blank ones included (the progress bar's
// maximum while archiving). Fails when the file cannot be opened or read, and when it is no project
// file: not a regular file (never waited on, as a FIFO would be), or a first line that is not blank
// and does not begin with "Type=" (in any case, after a UTF-8 byte order mark), as every project
// file Visual Basic writes does; a Visual Basic group file ("VBGROUP 5.0", read as a group under a
// ".vbg" name: VisualBasicGroup.h) is told as such.
Outcome<qint32> ReadProjectInfo(const QString &projectFilePath, ProjectIdentity &identity);
