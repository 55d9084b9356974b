// Visual Basic's own group file: refused for one of its two reasons, or read into projects each
// named once, none of the file's project lines lost, each found where the group file lies.
#include "FuzzSupport.h"
#include "LineReader.h"
#include "VisualBasicGroup.h"

#include <QFile>
#include <QSet>

namespace {

QString SameProjectKey(const QString &path) { return QString(path).replace('/', '\\').toCaseFolded(); }

// The values of the file's StartupProject= and Project= lines after its first line that is not blank,
// read on their own: a line is a key, "=" and a value, the key in any case, blanks around either.
QSet<QString> ProjectLines(const QString &path)
{
    QFile file(path);
    FUZZ_REQUIRE(file.open(QIODevice::ReadOnly));
    LineReader reader(file);
    TextLine line;
    bool first = true;
    QSet<QString> projects;
    while (reader.Next(line)) {
        if (first) {
            first = line.text.trimmed().isEmpty() && !line.bytes.startsWith("\xEF\xBB\xBF");
            continue;
        }
        const qsizetype equals = line.text.indexOf('=');
        const QString key = line.text.left(equals).trimmed().toCaseFolded();
        const QString value = line.text.mid(equals + 1).trimmed();
        if (equals >= 0 && !value.isEmpty()
            && (key == QLatin1String("project") || key == QLatin1String("startupproject")))
            projects.insert(SameProjectKey(value));
    }
    return projects;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Windows paths in a group go through the Wine prefix's drive map.
    qputenv("WINEPREFIX", QFile::encodeName(FuzzSupport::Folder() + QStringLiteral("/wine")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::WriteInput(QStringLiteral("Fuzz.vbg"), data, size);
    const Outcome<GroupForArchiving> group = ReadVisualBasicGroup(path);
    if (!group) {
        FUZZ_REQUIRE(
            group.error().endsWith(QLatin1String(": its first line is not VBGROUP 5.0."))
            || group.error().endsWith(QLatin1String(" lists no project (no Project= or StartupProject= line).")));
        return 0;
    }
    FUZZ_REQUIRE(group.value().GroupName == QLatin1String("Fuzz"));
    FUZZ_REQUIRE(!group.value().BackupFolder.isEmpty());
    QSet<QString> read;
    for (const QString &member : group.value().Members) {
        FUZZ_REQUIRE(!read.contains(SameProjectKey(member)));
        read.insert(SameProjectKey(member));
        FUZZ_REQUIRE(!GroupMemberLocalPath(path, member).isEmpty());
    }
    FUZZ_REQUIRE(read == ProjectLines(path));
    return 0;
}
