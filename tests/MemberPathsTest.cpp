#include "MemberPaths.h"
#include "QtPrinting.h"
#include "ZipReader.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

TEST(ArchiveEntryPath, KeepsTheProjectTreeAndPutsEverythingOutsideBelowItsOwnBranch)
{
    const QList<std::pair<QString, QString>> cases{
        {"Main.frm", "Main.frm"},
        {"Forms\\Main.frm", "Forms\\Main.frm"},
        {"\\\\srv\\share\\Lib\\a.bas", "FileNotInRootPath\\~srv\\share\\Lib\\a.bas"},
        {"D:\\Lib\\a.bas", "FileNotInRootPath\\Disk_D_\\Lib\\a.bas"},
        {"..\\Common\\u.bas", "FileNotInRootPath\\--\\Common\\u.bas"},
        {"..\\..\\x\\..\\u.bas", "FileNotInRootPath\\--\\--\\x\\--\\u.bas"},
        {"A\\..\\B.bas", "A\\--\\B.bas"},
        // The text alone decides: a drive path inside the project still goes below Disk_.
        {"C:\\Dev\\App\\a.bas", "FileNotInRootPath\\Disk_C_\\Dev\\App\\a.bas"},
        // Project files edited outside Visual Basic may separate names with "/", which Windows takes as well.
        {"Forms/Main.frm", "Forms\\Main.frm"},
        {"../Common/u.bas", "FileNotInRootPath\\--\\Common\\u.bas"},
        {"A/../B.bas", "A\\--\\B.bas"},
        {"D:/Lib/a.bas", "FileNotInRootPath\\Disk_D_\\Lib\\a.bas"},
        {"//srv/share/Lib/a.bas", "FileNotInRootPath\\~srv\\share\\Lib\\a.bas"},
        // What an extraction would refuse never becomes an entry.
        {"D:a.bas", "FileNotInRootPath\\Disk_D_a.bas"},
        {"Forms\\Tab\tName.frm", "Forms\\Tab_Name.frm"},
        {"Line\nBreak.bas", "Line_Break.bas"},
        // A climb is taken out on every branch, in either separator.
        {"D:\\Lib\\..\\x.bas", "FileNotInRootPath\\Disk_D_\\Lib\\--\\x.bas"},
        {"D:/Lib/../x.bas", "FileNotInRootPath\\Disk_D_\\Lib\\--\\x.bas"},
        {"\\\\srv\\share\\a\\..\\b.bas", "FileNotInRootPath\\~srv\\share\\a\\--\\b.bas"},
        {"//srv/share/a/../b.bas", "FileNotInRootPath\\~srv\\share\\a\\--\\b.bas"},
        {"\\\\..\\..\\x.bas", "FileNotInRootPath\\~--\\--\\x.bas"},
        {"..", "--"},
        // The root of the project's own drive.
        {"\\Lib\\x.bas", "FileNotInRootPath\\Disk_\\Lib\\x.bas"},
        {"/Lib/../x.bas", "FileNotInRootPath\\Disk_\\Lib\\--\\x.bas"},
        // Only a whole ".." climbs; a name holding two dots is kept, as the form's own text names it.
        {"Forms\\frmLogContSegAdendas..frm", "Forms\\frmLogContSegAdendas..frm"},
        {"frmLog..frm", "frmLog..frm"},
        {"..x\\y.bas", "..x\\y.bas"},
        {"...\\y.bas", "...\\y.bas"},
    };
    for (const auto &[path, entry] : cases) {
        EXPECT_EQ(ArchiveEntryPath(path), entry) << path.toStdString();
        EXPECT_EQ(EntryNameRefusal(ArchiveEntryPath(path)), "") << path.toStdString();
    }
}

} // namespace
