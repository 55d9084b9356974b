#include "ZipListing.h"
#include "TempTree.h"

#include <gtest/gtest.h>

QStringList ArchiveEntries(const QString &archivePath)
{
    QByteArray output;
    EXPECT_EQ(RunProgram("bsdtar", {"-tf", archivePath}, &output), 0) << output.toStdString();
    return QString::fromUtf8(output).split('\n', Qt::SkipEmptyParts);
}

QByteArray ArchiveEntryContent(const QString &archivePath, const QString &entry)
{
    QByteArray output;
    EXPECT_EQ(RunProgram("bsdtar", {"-xOf", archivePath, entry}, &output), 0) << output.toStdString();
    return output;
}

QList<QByteArray> ArchiveEntryLines(const QString &archivePath, const QString &entry)
{
    const QByteArray content = ArchiveEntryContent(archivePath, entry);
    EXPECT_TRUE(content.endsWith("\r\n")) << entry.toStdString();
    QList<QByteArray> lines = content.split('\n');
    lines.removeLast();
    for (QByteArray &line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
        line.chop(1);
        EXPECT_FALSE(line.contains('\r')) << line.toStdString();
    }
    return lines;
}

QString UnzipCrc(const QString &archivePath, const QString &entry)
{
    QByteArray listing;
    EXPECT_EQ(RunProgram("unzip", {"-v", archivePath}, &listing), 0);
    for (const QString &line : QString::fromUtf8(listing).split('\n')) {
        const QStringList columns = line.simplified().split(' ');
        // Length, method, size, ratio, date, time, CRC-32, then the name, which may hold blanks.
        if (columns.size() >= 8 && columns.mid(7).join(' ') == entry)
            return columns[6];
    }
    return QString();
}

QStringList ArchiveCommentLines(const QString &archivePath)
{
    QByteArray shown;
    EXPECT_EQ(RunProgram("unzip", {"-z", archivePath}, &shown), 0) << shown.constData();
    QStringList lines = QString::fromUtf8(shown).split('\n', Qt::SkipEmptyParts);
    lines.removeFirst(); // "Archive:  PATH"
    return lines;
}
