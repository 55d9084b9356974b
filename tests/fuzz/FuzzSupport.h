#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// What every fuzz target needs around the reader it feeds: a folder of its own for the files it
// writes, and a way to stop on a broken rule with a stack that names it.
namespace FuzzSupport {

// A folder private to this process, below $TMPDIR, made at the first call and removed at exit.
QString Folder();

// Writes the input to the file (relative to Folder()), replacing it. Each write gets a modification
// time of its own, so that a reader which keeps a parsed file while its stamp stays the same never
// takes one input for the one before.
QString WriteInput(const QString &relative, const uint8_t *data, size_t size);

// The names of a folder's entries, hidden ones too, without "." and "..".
QStringList Entries(const QString &folder);

[[noreturn]] void Broken(const char *rule, const char *file, int line);

} // namespace FuzzSupport

#define FUZZ_REQUIRE(rule) ((rule) ? void() : FuzzSupport::Broken(#rule, __FILE__, __LINE__))
