#include "ReferencedFiles.h"

#include "CodePage.h"
#include "WindowsPath.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>

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
    // Unbuffered: the properties are read in chunks of their own, and no further than the code.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return ReferencedBinaryFiles(file);
}

namespace {

constexpr QByteArrayView kCodeStart = "Attribute VB_Name";

// Where the code's attributes begin, at the start of a line, looking from from; -1 when nowhere.
qsizetype CodeStart(const QByteArray &text, qsizetype from)
{
    for (qsizetype at = text.indexOf(kCodeStart, from); at >= 0; at = text.indexOf(kCodeStart, at + 1)) {
        if (at == 0 || text[at - 1] == '\r' || text[at - 1] == '\n')
            return at;
    }
    return -1;
}

// The member's text up to where its code's attributes begin, read no further: most of a form is
// its code, after the properties.
QByteArray PropertySection(QIODevice &member)
{
    QByteArray text;
    for (qint64 chunk = 8 * 1024;; chunk = std::min<qint64>(2 * chunk, 1024 * 1024)) {
        const qsizetype searched = std::max<qsizetype>(0, text.size() - kCodeStart.size());
        const QByteArray more = member.read(chunk);
        if (more.isEmpty())
            return text;
        text += more;
        if (const qsizetype end = CodeStart(text, searched); end >= 0)
            return text.first(end);
    }
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

} // namespace

// Only the lines that hold a quote and a colon are read for names: few lines of a form do.
QStringList ReferencedBinaryFiles(QIODevice &member)
{
    static const QRegularExpression reference(QStringLiteral(R"re("([^"]+)":[0-9A-Fa-f]{4,8}\b)re"));
    const QByteArray section = PropertySection(member);
    QStringList names;
    for (qsizetype at = section.indexOf("\":"); at >= 0;) {
        qsizetype start = at;
        while (start > 0 && !IsLineEnd(section[start - 1]))
            --start;
        qsizetype end = at;
        while (end < section.size() && !IsLineEnd(section[end]))
            ++end;
        for (const QRegularExpressionMatch &match :
             reference.globalMatch(CodePage::Decode(section.sliced(start, end - start)))) {
            const QString name = match.captured(1);
            if (!names.contains(name, Qt::CaseInsensitive))
                names.append(name);
        }
        at = section.indexOf("\":", end);
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
