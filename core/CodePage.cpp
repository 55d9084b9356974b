#include "CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QMutex>
#include <array>

namespace CodePage {
namespace {

struct LanguageCodePage {
    const char *language;
    const char *codePage;
};

// Languages whose Windows code page is not 1252.
constexpr std::array kLanguageCodePages{
    LanguageCodePage{"pl", "windows-1250"}, LanguageCodePage{"cs", "windows-1250"},
    LanguageCodePage{"sk", "windows-1250"}, LanguageCodePage{"hu", "windows-1250"},
    LanguageCodePage{"sl", "windows-1250"}, LanguageCodePage{"hr", "windows-1250"},
    LanguageCodePage{"ro", "windows-1250"}, LanguageCodePage{"ru", "windows-1251"},
    LanguageCodePage{"uk", "windows-1251"}, LanguageCodePage{"be", "windows-1251"},
    LanguageCodePage{"bg", "windows-1251"}, LanguageCodePage{"sr", "windows-1251"},
    LanguageCodePage{"mk", "windows-1251"}, LanguageCodePage{"el", "windows-1253"},
    LanguageCodePage{"tr", "windows-1254"}, LanguageCodePage{"he", "windows-1255"},
    LanguageCodePage{"ar", "windows-1256"}, LanguageCodePage{"fa", "windows-1256"},
    LanguageCodePage{"et", "windows-1257"}, LanguageCodePage{"lv", "windows-1257"},
    LanguageCodePage{"lt", "windows-1257"}, LanguageCodePage{"vi", "windows-1258"},
    LanguageCodePage{"th", "windows-874"},  LanguageCodePage{"ja", "windows-932"},
    LanguageCodePage{"ko", "windows-949"},
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

QMutex overrideLock;
QByteArray chosenName;

} // namespace

QByteArray ForLocale(const QString &localeName)
{
    // "ll_TT.charset@modifier": only the language and the territory matter.
    QString name = localeName.section('.', 0, 0).section('@', 0, 0);
    const QString language = name.section('_', 0, 0).toLower();
    const QString territory = name.section('_', 1, 1).toUpper();
    if (language == "zh")
        return ChineseCodePage(territory);
    for (const auto &entry : kLanguageCodePages) {
        if (language == QLatin1String(entry.language))
            return entry.codePage;
    }
    return "windows-1252";
}

bool Override(const QByteArray &name)
{
    if (!Known(name))
        return false;
    QMutexLocker lock(&overrideLock);
    chosenName = name;
    return true;
}

QByteArray AnsiName()
{
    {
        QMutexLocker lock(&overrideLock);
        if (!chosenName.isEmpty())
            return chosenName;
    }
    const QByteArray fromEnvironment = qgetenv("QUENZAR_CODEPAGE");
    return Known(fromEnvironment) ? fromEnvironment : LocaleCodePage();
}

QString Decode(const QByteArray &bytes)
{
    QStringDecoder decoder(AnsiName().constData());
    return decoder.decode(bytes);
}

std::optional<QByteArray> Encode(const QString &text)
{
    QStringEncoder encoder(AnsiName().constData());
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

} // namespace CodePage
