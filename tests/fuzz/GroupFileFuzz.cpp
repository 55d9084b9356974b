// A project group file through both readers, where its projects are looked for, and what the
// editor saves of it read back.
#include "FuzzSupport.h"
#include "GroupFile.h"
#include "LineReader.h"

#include <QFile>
#include <algorithm>

namespace {

const QLatin1String kPathMark("[PATH]");

bool MentionsPathMark(const GroupForEditing &group)
{
    const QStringList fields =
        QStringList{group.GroupName, group.MainProject, group.BackupFolder} + group.FurtherProjects;
    return std::any_of(fields.begin(), fields.end(), [](const QString &field) { return field.contains(kPathMark); });
}

// The lines of the file as every reader of the format splits them.
qsizetype Lines(const QString &path)
{
    QFile file(path);
    FUZZ_REQUIRE(file.open(QIODevice::ReadOnly));
    LineReader reader(file, false);
    TextLine line;
    qsizetype lines = 0;
    while (reader.Next(line))
        ++lines;
    FUZZ_REQUIRE(!reader.Failed());
    return lines;
}

// The editor writes what it read; the editing reader must give back the same group, unless a
// "[PATH]" inside a field is taken away on reading, as the format has it.
void CheckSavedAgain(const GroupForEditing &group)
{
    const QString copy = FuzzSupport::Folder() + QStringLiteral("/Saved.vbpgroup");
    const Outcome<void> saved = WriteGroupFile(copy, group);
    // Its one refusal here: a text the code page cannot hold, which a byte it has no character for
    // gives when read.
    FUZZ_REQUIRE(saved || saved.error().contains(QLatin1String("cannot be written in the code page")));
    if (!saved || MentionsPathMark(group))
        return;
    const Outcome<GroupForEditing> reread = ReadGroupFileForEditing(copy);
    FUZZ_REQUIRE(reread);
    FUZZ_REQUIRE(reread.value().GroupName == group.GroupName);
    FUZZ_REQUIRE(reread.value().MainProject == group.MainProject);
    FUZZ_REQUIRE(reread.value().BackupFolder == group.BackupFolder);
    FUZZ_REQUIRE(reread.value().FurtherProjects == group.FurtherProjects);
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
    const QString path = FuzzSupport::WriteInput(QStringLiteral("Fuzz.vbpgroup"), data, size);
    const Outcome<GroupForArchiving> archiving = ReadGroupFileForArchiving(path);
    const Outcome<GroupForEditing> editing = ReadGroupFileForEditing(path);
    // The refusals an input can earn: archiving needs a line (the group name), editing two.
    const qsizetype lines = Lines(path);
    FUZZ_REQUIRE(archiving ? lines >= 1 : lines == 0 && archiving.error().endsWith(QLatin1String(" is empty.")));
    FUZZ_REQUIRE(editing ? lines >= 2
                         : lines < 2 && editing.error().endsWith(QLatin1String(": it has fewer than two lines.")));
    if (!archiving)
        return 0;
    FUZZ_REQUIRE(!archiving.value().BackupFolder.isEmpty());
    for (const QString &member : archiving.value().Members)
        FUZZ_REQUIRE(!GroupMemberLocalPath(path, member).isEmpty());
    if (!editing)
        return 0;
    FUZZ_REQUIRE(!editing.value().BackupFolder.isEmpty());
    FUZZ_REQUIRE(archiving.value().GroupName == editing.value().GroupName);
    // The readers differ only when line 2 is itself a "[PATH]" line.
    if (!editing.value().MainProject.startsWith(kPathMark)) {
        FUZZ_REQUIRE(archiving.value().Members
                     == QStringList{editing.value().MainProject} + editing.value().FurtherProjects);
        FUZZ_REQUIRE(archiving.value().BackupFolder == editing.value().BackupFolder);
    }
    CheckSavedAgain(editing.value());
    return 0;
}
