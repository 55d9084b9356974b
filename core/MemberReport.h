#pragma once

#include "Outcome.h"
#include "ProjectFile.h"

#include <QList>
#include <QString>

// What archiving a project would take: each member line and each companion found beside its
// member, with where it goes in the archive and where it lies here.
struct MemberReportRow {
    enum class Status { Ok, Missing, Malformed };
    QString kind;      // "Form", "Module", ... or "Companion"
    QString path;      // as written in the project file (the companion's derived path)
    QString entry;     // path inside the archive, "\" between names
    QString localFile; // the file on this machine, a path that reaches it (ByteNamedFiles::ReadablePath names it)
    Status status = Status::Ok;
    QString line; // the project file line, for malformed rows
    QString problem;
};

QString MemberKindName(MemberKind kind);
QString StatusName(MemberReportRow::Status status);

Outcome<QList<MemberReportRow>> ReportProjectMembers(const QString &projectFilePath);
