#include "ProjectFile.h"

#include "LineReader.h"
#include "OperationsFichiers.h"
#include "WindowsPath.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

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
    KindPrefix{MemberKind::RelatedDoc, "RelatedDoc=", nullptr},
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

// A scheme of two letters or more before the first ":" ("http:", "mailto:"): no Windows file name
// holds a ":" but after its drive letter.
bool IsWebAddress(const QString &value)
{
    static const QRegularExpression scheme(QStringLiteral(R"(^[A-Za-z][A-Za-z0-9+.\-]+:)"));
    return scheme.match(value).hasMatch();
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
    if (kind.kind == MemberKind::RelatedDoc && IsWebAddress(member.Path))
        return {MemberLine::Status::NotMember, ProjectMember(), line, QString()};

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

// A related document may be anything (a Word file, a picture): its bytes are never touched.
bool IsTextMember(MemberKind kind) { return kind != MemberKind::ResFile32 && kind != MemberKind::RelatedDoc; }

bool IsRequiredMember(MemberKind kind) { return kind != MemberKind::RelatedDoc; }

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

namespace {

QString NotAProject(const QString &path, const QString &reason)
{
    return QStringLiteral("%1 is not a Visual Basic project file: %2").arg(path, reason);
}

QString CannotOpen(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot open %1: %2").arg(path, reason);
}

// Opens the project file for reading without waiting on it: a FIFO or a device named as a project
// would otherwise hold the program for ever. Anything but a regular file is refused.
Outcome<void> OpenProjectFile(QFile &file, const QString &path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return Outcome<void>::failure(CannotOpen(path, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat info;
    QString refusal;
    if (::fstat(descriptor, &info) != 0)
        refusal = CannotOpen(path, QString::fromLocal8Bit(std::strerror(errno)));
    else if (!S_ISREG(info.st_mode))
        refusal = NotAProject(path, S_ISDIR(info.st_mode) ? QStringLiteral("it is a folder")
                                                          : QStringLiteral("it is not a regular file"));
    else if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        refusal = CannotOpen(path, file.errorString());
    if (refusal.isEmpty())
        return Outcome<void>::success();
    ::close(descriptor);
    return Outcome<void>::failure(refusal);
}

bool StartsWithIgnoringCase(const QByteArray &bytes, const char *prefix)
{
    const size_t length = std::strlen(prefix);
    return size_t(bytes.size()) >= length && qstrnicmp(bytes.constData(), prefix, length) == 0;
}

// A line as it counts for telling what the file is: blanks around it and, on the first line, a
// byte order mark left by an editor do not count.
QByteArray Significant(const QByteArray &bytes, bool firstLine)
{
    const bool marked = firstLine && bytes.startsWith("\xEF\xBB\xBF");
    return (marked ? bytes.mid(3) : bytes).trimmed();
}

// Visual Basic starts every project file with its Type= line ("Type=Exe", "Type=OleDll",
// "Type=Control"...), in any case here; its group files (".vbg") start with "VBGROUP 5.0" instead.
// Anything else would be archived as a project of no members and verified as sound.
Outcome<void> CheckFirstLine(const QString &path, const QByteArray &firstLine)
{
    if (StartsWithIgnoringCase(firstLine, "Type="))
        return Outcome<void>::success();
    if (StartsWithIgnoringCase(firstLine, "VBGROUP"))
        return Outcome<void>::failure(
            QStringLiteral("%1 is a Visual Basic group file, not a project: it is read as a group under a name "
                           "ending in .vbg")
                .arg(path));
    return Outcome<void>::failure(NotAProject(path, QStringLiteral("it does not begin with a Type= line")));
}

} // namespace

Outcome<qint32> ReadProjectInfo(const QString &projectFilePath, ProjectIdentity &identity)
{
    QFile file;
    if (const Outcome<void> opened = OpenProjectFile(file, projectFilePath); !opened)
        return Outcome<qint32>::failure(opened.error());

    const std::array<std::pair<QLatin1String, QString *>, 4> fields{{
        {QLatin1String("Name="), &identity.ProjectName},
        {QLatin1String("MajorVer="), &identity.ProjectMajorVer},
        {QLatin1String("MinorVer="), &identity.ProjectMinorVer},
        {QLatin1String("RevisionVer="), &identity.ProjectRevisionVer},
    }};
    qint32 count = 0;
    bool typeSeen = false;
    LineReader reader(file);
    TextLine line;
    while (reader.Next(line)) {
        if (count == std::numeric_limits<qint32>::max())
            return Outcome<qint32>::failure(QStringLiteral("%1 has too many lines").arg(projectFilePath));
        ++count;
        // No text editor, and no Visual Basic, writes a NUL into a project file.
        if (line.bytes.contains('\0'))
            return Outcome<qint32>::failure(
                NotAProject(projectFilePath, QStringLiteral("line %1 holds binary data").arg(count)));
        if (!typeSeen) {
            const QByteArray significant = Significant(line.bytes, count == 1);
            if (significant.isEmpty())
                continue;
            if (const Outcome<void> checked = CheckFirstLine(projectFilePath, significant); !checked)
                return Outcome<qint32>::failure(checked.error());
            typeSeen = true;
        }
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
    if (!typeSeen)
        return Outcome<qint32>::failure(
            NotAProject(projectFilePath, count == 0 ? QStringLiteral("it is empty")
                                                    : QStringLiteral("it does not begin with a Type= line")));
    return Outcome<qint32>::success(count);
}
