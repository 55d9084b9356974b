#pragma once

#include "TempTree.h"

#include <QByteArray>
#include <QList>

// A Visual Basic project written into a temporary tree: the project file from its lines (CR LF
// ends unless told otherwise) and member files with a little text each.
class ProjectTree : public TempTree {
public:
    // Writes relative/App.vbp (or the given name) and returns its path. The file begins with
    // "Type=Exe", as Visual Basic writes every project file, unless the lines begin with a Type= line
    // of their own.
    QString project(const QString &relative, const QList<QByteArray> &lines, const QByteArray &lineEnd = "\r\n") const;
    // A member source file whose text references the given binary files ("name.frx":0000).
    QString member(const QString &relative, const QStringList &references = {}) const;
    // A project whose modules (Module1.bas...) hold bytes deflate cannot shrink, moduleBytes each,
    // and with resourceBytes a resource file too: tens of megabytes take a while to archive and to
    // restore. Returns the project file.
    QString incompressibleProject(const QString &relative, int modules, qsizetype moduleBytes,
                                  qsizetype resourceBytes = 0) const;
};

// A module's text named name, lines of body long enough to be deflated, each ended with lineEnd.
QByteArray ModuleText(const QByteArray &name, const QByteArray &body, const QByteArray &lineEnd = "\r\n");

// Random bytes, the same for the same seed: deflate cannot shrink them.
QByteArray IncompressibleBytes(qsizetype size, quint32 seed);
