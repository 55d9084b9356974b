#include "CodePage.h"

#include "PosixLocale.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QMutex>
#include <QStringList>
#include <array>
#include <cstdlib>
#include <cstring>

namespace CodePage {
namespace {

struct CodePageLanguages {
    const char *codePage;
    QLatin1String languages; // ISO 639-1 codes, blank-separated
};

// The code pages Windows gives languages other than English and Western European ones (1252).
const std::array kCodePageLanguages{
    CodePageLanguages{"windows-1250", QLatin1String("pl cs sk hu sl hr ro")},
    CodePageLanguages{"windows-1251", QLatin1String("ru uk be bg sr mk")},
    CodePageLanguages{"windows-1253", QLatin1String("el")},
    CodePageLanguages{"windows-1254", QLatin1String("tr")},
    CodePageLanguages{"windows-1255", QLatin1String("he")},
    CodePageLanguages{"windows-1256", QLatin1String("ar fa")},
    CodePageLanguages{"windows-1257", QLatin1String("et lv lt")},
    CodePageLanguages{"windows-1258", QLatin1String("vi")},
    CodePageLanguages{"windows-874", QLatin1String("th")},
    CodePageLanguages{"windows-932", QLatin1String("ja")},
    CodePageLanguages{"windows-949", QLatin1String("ko")},
};

// Chinese depends on the territory: traditional characters in Taiwan and Hong Kong.
QByteArray ChineseCodePage(const QString &territory)
{
    return (territory == "TW" || territory == "HK" || territory == "MO") ? "windows-950" : "windows-936";
}

bool Known(const QByteArray &name) { return !name.isEmpty() && QStringEncoder(name.constData()).isValid(); }

QByteArray LocaleCodePage()
{
    for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return ForLocale(value);
    }
    return ForLocale(QString());
}

QByteArray EnvironmentCodePage()
{
    const QByteArray fromEnvironment = qgetenv("QUENZAR_CODEPAGE");
    return Known(fromEnvironment) ? fromEnvironment : LocaleCodePage();
}

QMutex nameLock;
QByteArray chosenName;  // set by Override, wins over the environment
QByteArray environment; // the variables the name below was worked out from
QByteArray environmentName;

} // namespace

QByteArray ForLocale(const QString &localeName)
{
    const auto [language, territory] = PosixLocale::Parse(localeName);
    if (language == "zh")
        return ChineseCodePage(territory);
    for (const auto &entry : kCodePageLanguages) {
        if (QString(entry.languages).split(' ').contains(language))
            return entry.codePage;
    }
    return "windows-1252";
}

bool Override(const QByteArray &name)
{
    if (!Known(name))
        return false;
    QMutexLocker lock(&nameLock);
    chosenName = name;
    return true;
}

// Every line read asks for the name, so it is worked out again only when the variables it comes
// from have changed; comparing them costs no allocation (getenv hands out the environment's own text).
QByteArray AnsiName()
{
    QMutexLocker lock(&nameLock);
    if (!chosenName.isEmpty())
        return chosenName;
    QByteArray current;
    bool changed = environmentName.isEmpty();
    qsizetype offset = 0;
    for (const char *variable : {"QUENZAR_CODEPAGE", "LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *value = std::getenv(variable);
        const qsizetype length = value ? qsizetype(std::strlen(value)) : 0;
        changed = changed || environment.size() < offset + length + 1
                  || std::memcmp(environment.constData() + offset, value ? value : "", size_t(length)) != 0
                  || environment.at(offset + length) != '\n';
        offset += length + 1;
    }
    if (changed || environment.size() != offset) {
        for (const char *variable : {"QUENZAR_CODEPAGE", "LC_ALL", "LC_CTYPE", "LANG"})
            current += qgetenv(variable) + '\n';
        environment = current;
        environmentName = EnvironmentCodePage();
    }
    return environmentName;
}

// Opening a converter costs far more than converting one line, so each thread keeps the last one.
template <typename Converter>
Converter &CachedConverter()
{
    thread_local QByteArray name;
    thread_local std::optional<Converter> converter;
    const QByteArray wanted = AnsiName();
    // Built in place: a moved ICU converter of Qt 6.4 loses its state.
    if (!converter || wanted != name) {
        converter.emplace(wanted.constData());
        name = wanted;
    }
    converter->resetState();
    return *converter;
}

QString Decode(const QByteArray &bytes) { return CachedConverter<QStringDecoder>().decode(bytes); }

// Qt 6.4's ICU converters do not report unmappable characters reliably (one at the end of the
// text goes unnoticed, and the error state outlives resetState), so the bytes are decoded again
// and must give back the text.
std::optional<QByteArray> Encode(const QString &text)
{
    QByteArray bytes = CachedConverter<QStringEncoder>().encode(text);
    if (Decode(bytes) != text)
        return std::nullopt;
    return bytes;
}

QString DecodeWindows1252(const QByteArray &bytes)
{
    // Where Windows-1252 differs from Latin-1; its five unassigned bytes keep their own value, as
    // Windows decodes them.
    static constexpr char16_t kFrom0x80To0x9F[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const uchar value = uchar(byte);
        *out++ = QChar(value >= 0x80 && value < 0xA0 ? kFrom0x80To0x9F[value - 0x80] : char16_t(value));
    }
    return text;
}

} // namespace CodePage
