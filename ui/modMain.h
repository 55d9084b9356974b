#pragma once

#include <QString>
#include <QStringList>

// The program's run: its command line and the languages chosen at start-up.
struct ProgramState {
    QString CommandLine;               // every double quote removed
    QString CurrentLanguage = "eng";   // the language file in use
    QString HelpLanguage = "en";       // the language of the on-line help
};

ProgramState &Program();

// The command line without the program's name: the arguments joined by blanks, every double
// quote removed.
QString CommandLineOf(const QStringList &arguments);

// "Major.Minor.Revision" of the program, each a plain decimal number.
QString ProgramVersionText();

// The program's entry: keeps the command line, creates the main window and shows it.
int Main(int argc, char *argv[]);
