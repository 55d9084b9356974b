#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "QtPrinting.h"

// A temporary folder that a test fills with files, removed with the test.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

    QString root() const;
    // The absolute path of a path relative to the root ("/" between names).
    QString path(const QString &relative) const;
    // Writes the bytes, creating the folders on the way; returns the absolute path.
    QString write(const QString &relative, const QByteArray &bytes) const;
    QString makeFolder(const QString &relative) const;
    // Writes the bytes under a relative path given as the bytes of its names, which need not be
    // UTF-8 (a name in a Windows code page, as copied from a Windows share), creating the folders
    // on the way; returns the absolute path as bytes.
    QByteArray writeBytesNamed(const QByteArray &relative, const QByteArray &bytes) const;
    QByteArray read(const QString &relative) const;
    bool exists(const QString &relative) const;
    // A copy of the bundled examples in the tree's "examples" folder (archiving them then writes
    // nothing into the source tree); returns that folder.
    QString copyExamples() const;
    // A copy of a folder's files in the tree's folder relative; returns that folder.
    QString copyFolder(const QString &folder, const QString &relative) const;
    // A copy of the test data folder tests/data/name (QUENZAR_TEST_DATA) in the tree's folder of that name.
    QString copyTestData(const QString &name) const
    {
        return copyFolder(qEnvironmentVariable("QUENZAR_TEST_DATA") + '/' + name, name);
    }

private:
    QTemporaryDir dir_;
};

// Runs a program to its end and gives its exit code (-1 when it could not start);
// the output of both streams lands in *output when given.
int RunProgram(const QString &program, const QStringList &arguments, QByteArray *output = nullptr,
               const QString &workingFolder = QString());
