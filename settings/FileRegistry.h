#pragma once

#include <QByteArray>
#include <QString>

// The registry on a system without one: one JSON file per hive, each holding keys (paths with "\"
// between names, matched without regard to case) and their typed values.
//   per user ("HKEY_CURRENT_USER"):     $XDG_CONFIG_HOME/Quenzar/registry.json (default ~/.config)
//   machine ("HKEY_LOCAL_MACHINE"):     <first of $XDG_CONFIG_DIRS>/Quenzar/registry.json (default /etc/xdg)
//   virtual store, for a normal user:   $XDG_CONFIG_HOME/Quenzar/VirtualStore/machine-registry.json
// As Windows does for older programs, machine writes that the machine store refuses go to the
// virtual store, and machine reads look there first. Every write replaces its file atomically, so a
// crash or a full disk leaves the previous file whole. Results are Windows error codes (0: done).
namespace FileRegistry {

enum class Hive { LocalMachine, CurrentUser };

constexpr long ErrorSuccess = 0;
constexpr long ErrorFileNotFound = 2;
constexpr quint32 TypeString = 1; // REG_SZ
constexpr quint32 TypeDword = 4;  // REG_DWORD

struct Key {
    QString storeFile; // empty: not open
    QString path;
};

// Opens the key for writing, creating it and the store as needed.
long CreateKey(Hive hive, const QString &path, Key &key);
// Opens an existing key for reading; ErrorFileNotFound when it does not exist.
long OpenKey(Hive hive, const QString &path, Key &key);
// A string value for TypeString (text as given: the store keeps Unicode), raw bytes for other types.
long SetValue(const Key &key, const QString &name, quint32 type, const QByteArray &data);
// The value's type and data (for TypeString the UTF-8 text); ErrorFileNotFound when it is missing.
long QueryValue(const Key &key, const QString &name, quint32 &type, QByteArray &data);
void CloseKey(Key &key);

} // namespace FileRegistry
