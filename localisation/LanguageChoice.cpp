#include "LanguageChoice.h"

#include "ConfigFolders.h"
#include "IniFile.h"
#include "OperationsFichiers.h"
#include "WindowsPath.h"

#include <QSaveFile>

namespace {

// The default map, line by line: the Windows locale identifiers of the languages that have files.
constexpr const char *kDefaultMap[] = {
    "[LocaleID]", "1036=fra",  "2060=fra",  "3084=fra",  "5132=fra",         "4108=fra",  "1031=deu",  "3079=deu",
    "5127=deu",   "2055=deu",  "1040=ita",  "2064=ita",  "1034=spa",         "11274=spa", "16394=spa", "13322=spa",
    "9226=spa",   "5130=spa",  "7178=spa",  "12298=spa", "4106=spa",         "18442=spa", "2058=spa",  "19466=spa",
    "6154=spa",   "10250=spa", "20490=spa", "15370=spa", "17418=spa",        "14346=spa", "8202=spa",  "2070=por",
    "1046=por",   "1043=nld",  "2067=nld",  "Force=",    "//case else =eng",
};

QString UserLocalIni() { return UserConfigFolder() + QStringLiteral("/Quenzar/Local.ini"); }

bool WriteDefaultMap(const QString &path)
{
    QByteArray content;
    for (const char *line : kDefaultMap)
        content += QByteArray(line) + "\r\n";
    MakeDirs(path);
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

// A locale the map does not list takes the language of the listed locale of the same primary
// language (the identifier's low 10 bits), the lowest identifier first, which is the language's
// home territory: Spain's modern sort 3082 takes 1034, Spanish of Spain's traditional sort.
std::optional<QString> SamePrimaryLanguage(quint32 localeId, const QString &map)
{
    constexpr quint32 kPrimaryLanguage = 0x3ff;
    const std::optional<QHash<QString, QString>> listed = IniFile::SectionValues(map, QStringLiteral("LocaleID"));
    if (!listed)
        return std::nullopt;
    std::optional<quint32> nearest;
    for (auto entry = listed->cbegin(); entry != listed->cend(); ++entry) {
        bool isNumber = false;
        const quint32 id = entry.key().toUInt(&isNumber);
        if (isNumber && !entry.value().isEmpty() && (id & kPrimaryLanguage) == (localeId & kPrimaryLanguage)
            && (!nearest || id < *nearest))
            nearest = id;
    }
    if (!nearest)
        return std::nullopt;
    return listed->value(QString::number(*nearest)).left(254);
}

} // namespace

QString LanguageFolder(const QString &programFolder) { return ProgramDataFolder(QStringLiteral("Lng"), programFolder); }

QString LocalIniPath(const QString &programFolder)
{
    const WindowsPath::LocalPath beside =
        WindowsPath::Resolve(LanguageFolder(programFolder), QStringLiteral("Local.ini"));
    if (!FileExists(beside.path) && FileExists(UserLocalIni()))
        return UserLocalIni();
    return beside.path;
}

void EnsureLocalIni(const QString &programFolder)
{
    const QString path = LocalIniPath(programFolder);
    if (FileExists(path))
        return;
    // An installed program's folder is read-only: the map then lives with the user's settings.
    if (!WriteDefaultMap(path))
        WriteDefaultMap(UserLocalIni());
}

QString LanguageFilePath(const QString &code, const QString &programFolder)
{
    return WindowsPath::Resolve(LanguageFolder(programFolder), code + QStringLiteral(".lng")).path;
}

QString GetLanguageCode(quint32 localeId, const QString &programFolder)
{
    EnsureLocalIni(programFolder);
    const QString map = LocalIniPath(programFolder);
    QString code = ReadIni(QStringLiteral("LocaleID"), QStringLiteral("Force"), QString(), map);
    if (code.isEmpty()) {
        const QString listed = ReadIni(QStringLiteral("LocaleID"), QString::number(localeId), QString(), map);
        code = !listed.isEmpty() ? listed : SamePrimaryLanguage(localeId, map).value_or(QStringLiteral("eng"));
    }
    if (!FileExists(LanguageFilePath(code, programFolder)))
        code = QStringLiteral("eng");
    return code;
}
