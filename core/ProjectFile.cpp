#include "ProjectFile.h"

#include "LineReader.h"
#include "OperationsFichiers.h"
#include "WindowsPath.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <limits>

namespace {

struct KindPrefix {
    MemberKind kind;
    const char *prefix;
    const char *companionExt; // nullptr: none
};

// In the order the lines are tested; no prefix is the start of another.
constexpr std::array kKindPrefixes{
    KindPrefix{MemberKind::Module, "Module=", nullptr},
    KindPrefix{MemberKind::Class, "Class=", nullptr},
    KindPrefix{MemberKind::Form, "Form=", ".frx"},
    KindPrefix{MemberKind::UserControl, "UserControl=", ".ctx"},
    KindPrefix{MemberKind::PropertyPage, "PropertyPage=", ".pgx"},
    KindPrefix{MemberKind::ResFile32, "ResFile32=", nullptr},
    KindPrefix{MemberKind::UserDocument, "UserDocument=", nullptr},
    KindPrefix{MemberKind::Designer, "Designer=", nullptr},
};

// The text between the first and the second "=" of a line.
QString RawValue(const QString &line) { return line.section('=', 1, 1); }

QString CleanValue(const QString &raw) { return TrimBlanks(QString(raw).remove('"')); }

bool FileNameHasExtension(const QString &path) { return WindowsPath::FileNameOf(path).contains('.'); }

// "." and ".\" are the project's own folder, "\" the root of its drive: text made of nothing but
// separators and "." names no file, and would give an archive entry without a name.
bool NamesAFile(const QString &path)
{
    static const QRegularExpression separators(QStringLiteral(R"([\\/])"));
    const QStringList names = path.split(separators, Qt::SkipEmptyParts);
    return std::any_of(names.begin(), names.end(), [](const QString &name) { return name != QLatin1String("."); });
}

MemberLine Malformed(const QString &line, const ProjectMember &member, const QString &problem)
{
    return {MemberLine::Status::Malformed, member, line, problem};
}

MemberLine ParseValue(const QString &line, const KindPrefix &kind)
{
    ProjectMember member;
    member.Kind = kind.kind;
    if (kind.companionExt)
        member.CompanionExt = QString::fromLatin1(kind.companionExt);

    const QString raw = RawValue(line);
    if (kind.kind == MemberKind::Module || kind.kind == MemberKind::Class) {
        const QStringList pieces = raw.split(QStringLiteral("; "));
        if (pieces.size() < 2)
            return Malformed(line, member, QStringLiteral("no \"; \" between the name and the path"));
        member.Name = pieces.at(0);
        member.Path = CleanValue(pieces.at(1));
    } else {
        member.Path = CleanValue(raw);
    }

    if (!NamesAFile(member.Path))
        return Malformed(line, member, QStringLiteral("no file named"));
    // Without an extension there is nothing to replace to find the companion; a dot in a folder
    // name must not make one up in the parent folder.
    if (member.CompanionExt && !FileNameHasExtension(member.Path))
        return Malformed(line, member, QStringLiteral("the file name has no extension"));
    return {MemberLine::Status::Member, member, line, QString()};
}

} // namespace

MemberLine ParseMemberLine(const QString &line)
{
    for (const auto &kind : kKindPrefixes) {
        if (line.startsWith(QLatin1String(kind.prefix)))
            return ParseValue(line, kind);
    }
    return {MemberLine::Status::NotMember, ProjectMember(), line, QString()};
}

QString MemberPrefix(MemberKind kind)
{
    for (const auto &entry : kKindPrefixes) {
        if (entry.kind == kind)
            return QString::fromLatin1(entry.prefix);
    }
    return QString();
}

bool IsTextMember(MemberKind kind) { return kind != MemberKind::ResFile32; }

QString CompanionPath(const QString &path, const QString &ext)
{
    const qsizetype dot = path.lastIndexOf('.');
    if (dot < WindowsPath::FolderOf(path).size())
        return path + ext;
    return path.left(dot) + ext;
}

QString SanitizeFileName(const QString &text)
{
    QString name = text;
    for (const QChar forbidden : QStringLiteral("'\\/:*?\"<>|"))
        name.replace(forbidden, '_');
    return name;
}

Outcome<qint32> ReadProjectInfo(const QString &projectFilePath, ProjectIdentity &identity)
{
    QFile file(projectFilePath);
    if (!file.open(QIODevice::ReadOnly))
        return Outcome<qint32>::failure(QStringLiteral("Cannot open %1: %2").arg(projectFilePath, file.errorString()));

    const std::array<std::pair<QLatin1String, QString *>, 4> fields{{
        {QLatin1String("Name="), &identity.ProjectName},
        {QLatin1String("MajorVer="), &identity.ProjectMajorVer},
        {QLatin1String("MinorVer="), &identity.ProjectMinorVer},
        {QLatin1String("RevisionVer="), &identity.ProjectRevisionVer},
    }};
    qint32 count = 0;
    LineReader reader(file);
    TextLine line;
    while (reader.Next(line)) {
        if (count == std::numeric_limits<qint32>::max())
            return Outcome<qint32>::failure(QStringLiteral("%1 has too many lines").arg(projectFilePath));
        ++count;
        // No text editor, and no Visual Basic, writes a NUL into a project file.
        if (line.bytes.contains('\0'))
            return Outcome<qint32>::failure(
                QStringLiteral("%1 is not a Visual Basic project file: line %2 holds binary data")
                    .arg(projectFilePath)
                    .arg(count));
        for (const auto &[prefix, field] : fields) {
            if (!line.text.startsWith(prefix))
                continue;
            const QString value = CleanValue(RawValue(line.text));
            if (!value.isEmpty())
                *field = value;
            break;
        }
    }
    if (reader.Failed())
        return Outcome<qint32>::failure(QStringLiteral("Cannot read %1: %2").arg(projectFilePath, file.errorString()));
    return Outcome<qint32>::success(count);
}
