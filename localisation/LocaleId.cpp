#include "LocaleId.h"

#include "PosixLocale.h"

#include <QHash>

namespace {

constexpr quint32 kEnglishUnitedStates = 1033;

// language_TERRITORY -> the identifier Windows gives it.
const QHash<QString, quint32> &TerritoryIds()
{
    static const QHash<QString, quint32> ids{
        {"en_US", 1033},  {"en_GB", 2057},  {"en_AU", 3081},  {"en_CA", 4105},  {"en_NZ", 5129},  {"en_IE", 6153},
        {"en_ZA", 7177},  {"en_IN", 16393}, {"fr_FR", 1036},  {"fr_BE", 2060},  {"fr_CA", 3084},  {"fr_CH", 4108},
        {"fr_LU", 5132},  {"fr_MC", 6156},  {"de_DE", 1031},  {"de_CH", 2055},  {"de_AT", 3079},  {"de_LU", 4103},
        {"de_LI", 5127},  {"it_IT", 1040},  {"it_CH", 2064},  {"es_ES", 3082},  {"es_MX", 2058},  {"es_GT", 4106},
        {"es_CR", 5130},  {"es_PA", 6154},  {"es_DO", 7178},  {"es_VE", 8202},  {"es_CO", 9226},  {"es_PE", 10250},
        {"es_AR", 11274}, {"es_EC", 12298}, {"es_CL", 13322}, {"es_UY", 14346}, {"es_PY", 15370}, {"es_BO", 16394},
        {"es_SV", 17418}, {"es_HN", 18442}, {"es_NI", 19466}, {"es_PR", 20490}, {"es_US", 21514}, {"pt_BR", 1046},
        {"pt_PT", 2070},  {"nl_NL", 1043},  {"nl_BE", 2067},  {"zh_TW", 1028},  {"zh_CN", 2052},  {"zh_HK", 3076},
        {"zh_SG", 4100},
    };
    return ids;
}

// language -> the identifier of its main territory, for a locale without a listed territory.
const QHash<QString, quint32> &LanguageIds()
{
    static const QHash<QString, quint32> ids{
        {"en", 1033}, {"fr", 1036}, {"de", 1031}, {"it", 1040}, {"es", 3082}, {"pt", 2070}, {"nl", 1043},
        {"ar", 1025}, {"bg", 1026}, {"ca", 1027}, {"zh", 2052}, {"cs", 1029}, {"da", 1030}, {"el", 1032},
        {"fi", 1035}, {"he", 1037}, {"hu", 1038}, {"is", 1039}, {"ja", 1041}, {"ko", 1042}, {"nb", 1044},
        {"no", 1044}, {"pl", 1045}, {"ro", 1048}, {"ru", 1049}, {"hr", 1050}, {"sk", 1051}, {"sq", 1052},
        {"sv", 1053}, {"th", 1054}, {"tr", 1055}, {"id", 1057}, {"uk", 1058}, {"be", 1059}, {"sl", 1060},
        {"et", 1061}, {"lv", 1062}, {"lt", 1063}, {"fa", 1065}, {"vi", 1066}, {"sr", 3098}, {"mk", 1071},
    };
    return ids;
}

} // namespace

quint32 LocaleIdOf(const QString &localeName)
{
    const auto [language, territory] = PosixLocale::Parse(localeName);
    if (const auto found = TerritoryIds().constFind(language + '_' + territory); found != TerritoryIds().constEnd())
        return *found;
    return LanguageIds().value(language, kEnglishUnitedStates);
}

quint32 UserLocaleId()
{
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return LocaleIdOf(value);
    }
    return kEnglishUnitedStates;
}
