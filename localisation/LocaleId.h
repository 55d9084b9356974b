#pragma once

#include <QString>

// The Windows locale identifier of the user's language and territory, taken from LC_ALL, else
// LC_MESSAGES, else LANG (as gettext reads them): fr_FR gives 1036, fr_CA 3084, es_ES 3082, pt_BR
// 1046. "C", "POSIX", an unset locale and a language Windows has no number for give 1033.
quint32 UserLocaleId();

// The identifier of one POSIX locale name such as "de_AT.UTF-8"; a language without a listed
// territory gets its language's main identifier.
quint32 LocaleIdOf(const QString &localeName);
