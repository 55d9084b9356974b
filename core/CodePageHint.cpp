#include "CodePageHint.h"

#include "CodePage.h"
#include "MemberReport.h"

#include <algorithm>
#include <array>

namespace {

const std::array kCommonCodePages{"windows-1250", "windows-1251", "windows-1252", "windows-1253", "windows-1254",
                                  "windows-1255", "windows-1256", "windows-1257", "windows-1258", "windows-874",
                                  "windows-932",  "windows-936",  "windows-949",  "windows-950"};

// The member files not found when the project is read in the code page in use; -1 when it cannot be read.
qsizetype MissingMembers(const QString &projectFile)
{
    const Outcome<QList<MemberReportRow>> rows = ReportProjectMembers(projectFile);
    if (!rows)
        return -1;
    return std::count_if(rows.value().begin(), rows.value().end(),
                         [](const MemberReportRow &row) { return row.status == MemberReportRow::Status::Missing; });
}

} // namespace

bool NoCodePageChosen()
{
    for (const char *variable : {"QUENZAR_CODEPAGE", "LC_ALL", "LC_CTYPE", "LANG"}) {
        if (!qEnvironmentVariableIsEmpty(variable))
            return false;
    }
    return true;
}

// The project is read again in each code page: the code page is the program's own setting, which
// every reading of a project file and every search for a member file takes.
std::optional<QByteArray> CodePageFindingMoreMembers(const QString &projectFile)
{
    const QByteArray inUse = CodePage::AnsiName();
    qsizetype fewest = MissingMembers(projectFile);
    std::optional<QByteArray> best;
    for (const char *name : kCommonCodePages) {
        if (name == inUse || !CodePage::Override(name))
            continue;
        const qsizetype missing = MissingMembers(projectFile);
        if (missing >= 0 && missing < fewest) {
            fewest = missing;
            best = name;
        }
    }
    CodePage::Override(inUse);
    return best;
}
