#include "ReferencedFiles.h"

#include "CodePage.h"
#include "LineReader.h"
#include "WindowsPath.h"

#include <QFile>
#include <QRegularExpression>

bool MayReferenceBinaryFiles(MemberKind kind)
{
    switch (kind) {
    case MemberKind::Form:
    case MemberKind::UserControl:
    case MemberKind::PropertyPage:
    case MemberKind::UserDocument:
    case MemberKind::Designer:
        return true;
    default:
        return false;
    }
}

QStringList ReferencedBinaryFiles(const QString &memberFile)
{
    QFile file(memberFile);
    // Unbuffered: the reader keeps a buffer of its own, and reads only the start of most forms.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return ReferencedBinaryFiles(file);
}

QStringList ReferencedBinaryFiles(QIODevice &member)
{
    static const QRegularExpression reference(QStringLiteral(R"re("([^"]+)":[0-9A-Fa-f]{4,8}\b)re"));
    QStringList names;
    LineReader reader(member, false);
    TextLine line;
    while (reader.Next(line)) {
        // The properties end where the code's attributes begin; a string in the code is no reference.
        if (line.bytes.startsWith("Attribute VB_Name"))
            break;
        if (!line.bytes.contains("\":"))
            continue;
        for (const QRegularExpressionMatch &match : reference.globalMatch(CodePage::Decode(line.bytes))) {
            const QString name = match.captured(1);
            if (!names.contains(name, Qt::CaseInsensitive))
                names.append(name);
        }
    }
    return names;
}

QStringList ReferencedFilePaths(const ProjectMember &member, const QString &memberFile)
{
    const QString folder = WindowsPath::FolderOf(member.Path);
    QStringList paths;
    for (const QString &name : ReferencedBinaryFiles(memberFile)) {
        if (!name.contains('\\') && !name.contains('/'))
            paths.append(folder + name);
    }
    return paths;
}
