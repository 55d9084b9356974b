#pragma once

// What a control library exports, so that a program can find a control class by its
// programmatic identifier without linking the library: the library is opened at run time and
// these two C functions are looked up by name.

class QWidget;

// The library's face, as a version resource would give it.
struct ControlLibraryFace {
    const char *version;
    const char *productName;
    const char *description;
};

// A new control of the class registered under progId, owned by parent; nullptr for an
// identifier the library does not register.
using CreateControlFunction = QWidget *(*)(const char *progId, QWidget *parent);
using LibraryFaceFunction = const ControlLibraryFace *(*)();

inline constexpr const char *kCreateControlSymbol = "CreateRegisteredControl";
inline constexpr const char *kLibraryFaceSymbol = "ControlLibraryFace";
