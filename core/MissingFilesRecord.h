#pragma once

#include <QString>
#include <QStringList>

// What an archive written without some of its files says about them, in its zip comment, so that
// any zip tool shows it and verify and restore can tell a file missing when archived from damage.
// Each missing file is one line: the member line as the project file writes it, or for a file that
// a member names (its binary data, its companion) that line, " | " and the file's name.

// The line that stands for a file a member names.
QString MissingNamedFileLine(const QString &memberLine, const QString &fileName);

// The comment for these lines: a first line that says what the list is, then one line each. Lines
// that would not fit in a zip comment are summed up in a last line instead.
QString MissingFilesComment(const QStringList &lines);

// The lines an archive comment records as missing; none when the comment is not such a record.
QStringList RecordedMissingFiles(const QString &comment);

// A recorded line taken apart: the member line, and the name of the file it names, if any.
struct RecordedMissingFile {
    QString memberLine;
    QString namedFile; // empty: the member file itself
};
RecordedMissingFile SplitRecordedMissingFile(const QString &line);
