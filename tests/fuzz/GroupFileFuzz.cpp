// A project group file through both readers, where its projects are looked for, and what the
// editor saves of it read back.
#include "FuzzSupport.h"
#include "GroupFile.h"

#include <QFile>
#include <algorithm>

namespace {

const QLatin1String kPathMark("[PATH]");

bool MentionsPathMark(const GroupForEditing &group)
{
    const QStringList fields = QStringList{group.GroupName, group.MainProject, group.BackupFolder} + group.FurtherProjects;
    return std::any_of(fields.begin(), fields.end(), [](const QString &field) { return field.contains(kPathMark); });
}

// The editor writes what it read; the editing reader must give back the same group, unless a
// "[PATH]" inside a field is taken away on reading, as the format has it.
void CheckSavedAgain(const GroupForEditing &group)
{
    const QString copy = FuzzSupport::Folder() + QStringLiteral("/Saved.vbpgroup");
    if (!WriteGroupFile(copy, group) || MentionsPathMark(group))
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
    FUZZ_REQUIRE(!archiving || !archiving.value().BackupFolder.isEmpty());
    if (archiving) {
        for (const QString &member : archiving.value().Members)
            FUZZ_REQUIRE(!GroupMemberLocalPath(path, member).isEmpty());
    }
    if (!editing)
        return 0;
    FUZZ_REQUIRE(archiving);
    FUZZ_REQUIRE(!editing.value().BackupFolder.isEmpty());
    FUZZ_REQUIRE(archiving.value().GroupName == editing.value().GroupName);
    // The readers differ only when line 2 is itself a "[PATH]" line.
    if (!editing.value().MainProject.startsWith(kPathMark)) {
        FUZZ_REQUIRE(archiving.value().Members == QStringList{editing.value().MainProject} + editing.value().FurtherProjects);
        FUZZ_REQUIRE(archiving.value().BackupFolder == editing.value().BackupFolder);
    }
    CheckSavedAgain(editing.value());
    return 0;
}
