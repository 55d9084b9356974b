#include "ProjectComponents.h"

#include "ProjectTree.h"

#include <gtest/gtest.h>

namespace {

using Status = ComponentLine::Status;
using Kind = ProjectComponent::Kind;

struct ComponentCase {
    const char *why;
    const char *line;
    Kind kind;
    const char *guid;
    const char *version;
    const char *file;
    const char *description;
    bool project;
    bool providedByWindows;
};

// The lines as Visual Basic 6 writes them, taken from real project files.
TEST(ParseComponentLine, TakesEveryFormOfObjectAndReferenceApart)
{
    const QList<ComponentCase> cases{
        {"a control", "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX", Kind::Control,
         "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}", "2.0", "MSCOMCTL.OCX", "", false, false},
        {"a control without the blank after the semicolon",
         "Object={BDC217C8-ED16-11CD-956C-0000C04E4C0A}#1.1#0;TABCTL32.OCX", Kind::Control,
         "{BDC217C8-ED16-11CD-956C-0000C04E4C0A}", "1.1", "TABCTL32.OCX", "", false, false},
        {"a control written with *\\G", "Object=*\\G{3B7C8863-D78F-101B-B9B5-04021C009402}#1.2#0; RICHTX32.OCX",
         Kind::Control, "{3B7C8863-D78F-101B-B9B5-04021C009402}", "1.2", "RICHTX32.OCX", "", false, false},
        {"a control another project of the group builds", "Object=*\\ATabExCtl.vbp", Kind::Control, "", "",
         "TabExCtl.vbp", "", true, false},
        {"a library in System32",
         "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#C:\\WINDOWS\\system32\\stdole2.tlb#OLE Automation",
         Kind::Library, "{00020430-0000-0000-C000-000000000046}", "2.0", "C:\\WINDOWS\\system32\\stdole2.tlb",
         "OLE Automation", false, true},
        {"a library reached by climbing into SysWOW64",
         "Reference=*\\G{8B217740-717D-11CE-AB5B-D41203C10000}#1.0#0#..\\..\\..\\..\\Windows\\SysWow64\\TLBINF32.DLL#"
         "TypeLib Information",
         Kind::Library, "{8B217740-717D-11CE-AB5B-D41203C10000}", "1.0",
         "..\\..\\..\\..\\Windows\\SysWow64\\TLBINF32.DLL", "TypeLib Information", false, true},
        {"the runtime's type library, with its resource number",
         "Reference=*\\G{000204EF-0000-0000-C000-000000000046}#6.0#9#C:\\WINNT\\System32\\msvbvm60.dll\\3#Visual Basic "
         "For Applications",
         Kind::Library, "{000204EF-0000-0000-C000-000000000046}", "6.0", "C:\\WINNT\\System32\\msvbvm60.dll\\3",
         "Visual Basic For Applications", false, true},
        {"a library of another vendor, a locale number and a description with a #",
         "Reference=*\\G{00020905-0000-0000-C000-000000000046}#8.0#409#C:\\Program Files\\Microsoft "
         "Office\\Office14\\MSWORD.OLB#Word #8",
         Kind::Library, "{00020905-0000-0000-C000-000000000046}", "8.0",
         "C:\\Program Files\\Microsoft Office\\Office14\\MSWORD.OLB", "Word #8", false, false},
        {"data access, which Windows carries in Common Files\\System",
         "Reference=*\\G{2A75196C-D9EB-4129-B803-931327F72D5C}#2.8#0#C:\\Program Files\\Common "
         "Files\\System\\ado\\msado15.dll#Microsoft ActiveX Data Objects 2.8 Library",
         Kind::Library, "{2A75196C-D9EB-4129-B803-931327F72D5C}", "2.8",
         "C:\\Program Files\\Common Files\\System\\ado\\msado15.dll", "Microsoft ActiveX Data Objects 2.8 Library",
         false, true},
        {"a library another project of the group builds", "Reference=*\\A..\\Shared\\Shared.vbp", Kind::Library, "", "",
         "..\\Shared\\Shared.vbp", "", true, false},
    };
    for (const ComponentCase &c : cases) {
        const ComponentLine parsed = ParseComponentLine(QString::fromLatin1(c.line));
        ASSERT_EQ(parsed.status, Status::Component) << c.why << ": " << parsed.problem.toStdString();
        const ProjectComponent &component = parsed.component;
        EXPECT_EQ(component.kind, c.kind) << c.why;
        EXPECT_EQ(component.guid, QString::fromLatin1(c.guid)) << c.why;
        EXPECT_EQ(component.version, QString::fromLatin1(c.version)) << c.why;
        EXPECT_EQ(component.file, QString::fromLatin1(c.file)) << c.why;
        EXPECT_EQ(component.description, QString::fromLatin1(c.description)) << c.why;
        EXPECT_EQ(component.project, c.project) << c.why;
        EXPECT_EQ(component.providedByWindows, c.providedByWindows) << c.why;
        EXPECT_EQ(component.line, QString::fromLatin1(c.line)) << c.why;
    }
}

TEST(ParseComponentLine, OtherLinesAreNoComponentsAndBrokenOnesAreMalformed)
{
    for (const char *line :
         {"", "Type=Exe", "Form=Form1.frm", " Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; X.OCX",
          "object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; X.OCX", "[MS Transaction Server]"})
        EXPECT_EQ(ParseComponentLine(QString::fromLatin1(line)).status, Status::NotComponent) << line;
    for (const char *line : {"Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0", "Object=MSCOMCTL.OCX",
                             "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; ", "Object=*\\A",
                             "Reference=stdole2.tlb", "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0",
                             "Reference=*\\G00020430#2.0#0#stdole2.tlb#OLE"}) {
        const ComponentLine parsed = ParseComponentLine(QString::fromLatin1(line));
        EXPECT_EQ(parsed.status, Status::Malformed) << line;
        EXPECT_EQ(parsed.component.line, QString::fromLatin1(line));
        EXPECT_FALSE(parsed.problem.isEmpty()) << line;
    }
}

TEST(InWindowsSystemFolder, OnlyPathsIntoTheSystemFolderOfWindows)
{
    for (const char *path :
         {"C:\\Windows\\System32\\scrrun.dll", "d:\\winnt\\system32\\stdole2.tlb", "C:\\WINXP\\system32\\stdole2.tlb",
          "C:\\WINDOWS\\SYSTEM\\StdOle2.tlb", "..\\..\\Windows\\SysWOW64\\stdole2.tlb", "\\Windows\\System32\\x.dll",
          "C:/Windows/System32/x.dll", "C:\\Program Files (x86)\\Common Files\\System\\ado\\msado15.dll"})
        EXPECT_TRUE(InWindowsSystemFolder(QString::fromLatin1(path))) << path;
    for (const char *path : {"MSCOMCTL.OCX", "Windows\\System32\\x.dll", "C:\\Tools\\System32\\x.dll",
                             "..\\Lib\\System\\x.dll", "C:\\Windows\\x.dll", "C:\\Windows\\Fonts\\x.ttf",
                             "\\\\server\\Windows\\System32\\x.dll", "C:\\Program Files\\Common Files\\Vendor\\x.dll"})
        EXPECT_FALSE(InWindowsSystemFolder(QString::fromLatin1(path))) << path;
}

TEST(ReadProjectComponents, ListsTheComponentLinesInOrderAndCountsThoseToRegister)
{
    ProjectTree tree;
    const QString project = tree.project(
        "App/App.vbp",
        {"Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#C:\\Windows\\System32\\stdole2.tlb#OLE Automation",
         "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX", "Form=Main.frm", "Object=*\\ACtl.vbp",
         "Reference=*\\G{11111111-2222-3333-4444-555555555555}#1.0#0#Lib\\Own.dll#Own", "Reference=broken"});
    const Outcome<QList<ComponentLine>> read = ReadProjectComponents(project);
    ASSERT_TRUE(read) << read.error().toStdString();
    QStringList files;
    for (const ComponentLine &line : read.value())
        files.append(line.status == Status::Malformed ? line.component.line : line.component.file);
    EXPECT_EQ(files, QStringList({"C:\\Windows\\System32\\stdole2.tlb", "MSCOMCTL.OCX", "Ctl.vbp", "Lib\\Own.dll",
                                  "Reference=broken"}));
    const ComponentCount count = CountComponents(read.value());
    EXPECT_EQ(count.controls, 1);
    EXPECT_EQ(count.libraries, 1);
    EXPECT_EQ(count.providedByWindows, 1);
    EXPECT_EQ(count.fromProjects, 1);
}

} // namespace
