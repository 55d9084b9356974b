#include "LanguageStrings.h"

#include "IniFile.h"

#include <QStringList>
#include <optional>

namespace {

constexpr int kLastNumber = 32000;
constexpr qsizetype kProfileValueLimit = 254;
const QString kEndMarker = QStringLiteral("###END###");

// Slot n holds text n; slots 0 and N + 1 are empty. Absent until LoadStrings has run.
std::optional<QStringList> messages;

QString WithLineBreaks(QString text) { return text.replace('|', QLatin1String("\r\n")); }

} // namespace

// Walks the numbers as the profile reader would, one key after the other, but over the section
// parsed once: a file without the end marker is looked up 32,000 times.
void LoadStrings(const QString &code, const QString &programFolder)
{
    const QHash<QString, QString> section =
        IniFile::SectionValues(LanguageFilePath(code, programFolder), QStringLiteral("Strings"))
            .value_or(QHash<QString, QString>());
    QStringList table;
    for (int number = 1; number <= kLastNumber; ++number) {
        const QString value =
            section.value(IniFile::FoldedName(QStringLiteral("String%1").arg(number))).left(kProfileValueLimit);
        if (value == kEndMarker)
            break;
        table.resize(number + 2);
        table[number] = value;
    }
    messages = table;
}

QString LocalString(int number, const QString &defaultText)
{
    if (!messages || number < 0 || number >= messages->size())
        return WithLineBreaks(defaultText);
    const QString text = WithLineBreaks(messages->at(number));
    return text.isEmpty() ? WithLineBreaks(defaultText) : text;
}
