#pragma once

#include <QHash>
#include <QString>
#include <optional>

// INI text read with the rules of Windows' profile-string reader: section and key names without
// regard to case, blanks around names and values dropped, a value between matching quotes taken
// without them, the first section and key of a name winning. A file is parsed once and kept in
// memory while its size and modification time stay the same, so that translating a window with
// hundreds of keys does not reopen the file for each. The text is Windows-1252, as the language
// files and the language map are written, or UTF-8 after a byte order mark.
namespace IniFile {

// The value, or nothing when the file, the section or the key is missing.
std::optional<QString> Lookup(const QString &filePath, const QString &section, const QString &key);

// A whole section, for a reader that walks many keys: keys as FoldedName gives them.
std::optional<QHash<QString, QString>> SectionValues(const QString &filePath, const QString &section);
// A section or key name as the file's names are compared.
QString FoldedName(const QString &name);

} // namespace IniFile
