#include "MissingFilesRecord.h"

#include "ZipWriter.h"

namespace {

const QString kHeading = QStringLiteral("Archived by Quenzar without these files, which were missing "
                                        "(one project file line each; \"LINE | FILE\": a file that member names):");
const QString kNamedFileSeparator = QStringLiteral(" | ");
// Windows zip tools show the comment as it is; CR LF reads right there and everywhere else.
const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

QString MissingNamedFileLine(const QString &memberLine, const QString &fileName)
{
    return memberLine + kNamedFileSeparator + fileName;
}

QString MissingFilesComment(const QStringList &lines)
{
    if (lines.isEmpty())
        return QString();
    QString comment = kHeading;
    // Room for the summing-up line, which a list this long cannot need twice.
    const qsizetype room = ZipWriter::kLongestComment - 100;
    for (qsizetype shown = 0; shown < lines.size(); ++shown) {
        const QString next = kLineEnd + lines[shown];
        if ((comment + next).toUtf8().size() > room)
            return comment + kLineEnd + QStringLiteral("... and %1 more not listed here").arg(lines.size() - shown);
        comment += next;
    }
    return comment;
}

QStringList RecordedMissingFiles(const QString &comment)
{
    QStringList lines = comment.split('\n');
    for (QString &line : lines)
        line = line.chopped(line.endsWith('\r') ? 1 : 0);
    if (lines.value(0) != kHeading)
        return {};
    lines.removeFirst();
    lines.removeAll(QString());
    return lines;
}

RecordedMissingFile SplitRecordedMissingFile(const QString &line)
{
    // A member line holds no " | " of its own: file names cannot hold "|".
    const qsizetype separator = line.lastIndexOf(kNamedFileSeparator);
    if (separator < 0)
        return {line, QString()};
    return {line.left(separator), line.mid(separator + kNamedFileSeparator.size())};
}
