// An INI file through the profile-string reader: every section and key name the input seems to
// hold is looked up, and the three ways of reading a value must agree.
#include "FuzzSupport.h"
#include "IniFile.h"
#include "OperationsFichiers.h"

#include <QSet>

namespace {

constexpr qsizetype kNamesTried = 24;
const QString kDefault = QStringLiteral("\x01 missing");

// Candidate names, taken from the text without the reader's rules: "[name" and "name=" on each line.
void GatherNames(const QByteArray &input, QSet<QString> &sections, QSet<QString> &keys)
{
    for (const QByteArray &line : input.split('\n')) {
        const QString text = QString::fromLatin1(line);
        if (const qsizetype open = text.indexOf('['); open >= 0 && sections.size() < kNamesTried)
            sections.insert(text.mid(open + 1, text.indexOf(']', open) - open - 1));
        if (const qsizetype equals = text.indexOf('='); equals >= 0 && keys.size() < kNamesTried)
            keys.insert(text.left(equals));
    }
}

void CheckSection(const QString &path, const QString &section, const QSet<QString> &keys)
{
    const std::optional<QHash<QString, QString>> values = IniFile::SectionValues(path, section);
    for (const QString &key : keys) {
        const std::optional<QString> value = IniFile::Lookup(path, section, key);
        FUZZ_REQUIRE(value.has_value() == (values && values->contains(IniFile::FoldedName(key))));
        if (value)
            FUZZ_REQUIRE(*value == values->value(IniFile::FoldedName(key)));
        const QString read = ReadIni(section, key, kDefault, path);
        FUZZ_REQUIRE(read.size() <= 254);
        FUZZ_REQUIRE(read == (value ? value->left(254) : kDefault));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::WriteInput(QStringLiteral("Fuzz.ini"), data, size);
    QSet<QString> sections{QStringLiteral("Strings"), QStringLiteral("LocaleID"), QStringLiteral("frmMain")};
    QSet<QString> keys{QStringLiteral("String1"), QStringLiteral("Force"), QStringLiteral("1036"),
                       QStringLiteral("Form")};
    GatherNames(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)), sections, keys);
    for (const QString &section : sections)
        CheckSection(path, section, keys);
    return 0;
}
