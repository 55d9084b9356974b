#pragma once

#include "MemberReport.h"
#include "ProjectComponents.h"
#include "ProjectFile.h"

#include <QJsonObject>
#include <QList>

// What `list` tells of one project: its name and version, the files archiving it would take, and
// the components it needs where it opens, which no archive holds.
struct ProjectListing {
    QString projectFile;
    ProjectIdentity identity;
    qint32 lineCount = 0;
    QList<MemberReportRow> members;
    QList<ComponentLine> components;
};

// The components section of the text listing: one row each, with where it comes from.
void PrintComponents(const QList<ComponentLine> &components);

// The listing as `list --json` prints it; the fields are described in the man page.
QJsonObject ProjectListingJson(const ProjectListing &listing);
