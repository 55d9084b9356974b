#pragma once

#include "LanguageChoice.h"

#include <QString>

class QObject;

// The numbered message texts of the language in use, read once at start-up from the section
// "Strings" (keys String1, String2, ... up to the text "###END###").
void LoadStrings(const QString &code, const QString &programFolder = ProgramFolder());

// Text number n, or the default when the language has none; a vertical bar stands for a line
// break (CR LF). Before LoadStrings, and for numbers outside the table, the default.
QString LocalString(int number, const QString &defaultText);

// Applies the language file to a window: the section named after its objectName, "Form" for its
// title, and for each control (objectName, with its index in a control array, the dynamic property
// "index", appended) its caption and, under that key followed by "ToolTipText", its tool tip.
// A control without a caption (a text box, a list) only gets its tool tip; a missing or empty
// value leaves the built-in text.
void TranslateForm(QObject *window, const QString &code, const QString &programFolder = ProgramFolder());
