#include "CliRunner.h"
#include "OperationsFichiers.h"
#include "ProgramFolders.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "modMain.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

const QStringList kLanguageFiles{"eng", "fra", "deu", "ita", "spa", "por", "nld"};

// The window's words a page must use as the window shows them: [section] key of the language file.
const QList<QPair<QString, QString>> kWindowWords{
    {"frmMain", "Tessbutton1"},  {"frmMain", "DBpathDialog0"}, {"frmMain", "Label10"},
    {"Strings", "String17"},     {"Strings", "String1"},       {"frmMain", "Label12"},
    {"frmMain", "Label13"},      {"frmMain", "Btn_Valider"},   {"Strings", "String18"},
    {"frmMain", "CorvaOpenThe"}, {"frmMain", "Btn_Annuler"},   {"frmMain", "Image14ToolTipText"},
    {"Strings", "String29"},     {"frmGroup", "Label13"},      {"frmGroup", "Label12"},
    {"frmGroup", "Label11"},     {"frmGroup", "Label14"},      {"frmGroup", "btn_Group"},
    {"frmGroup", "Btn_Annuler"}, {"frmMain", "Check1"},
};

struct Page {
    QString language;          // the html element's lang
    QString text;              // every text node, blanks folded
    QStringList foreignThings; // scripts, embedded objects, links that leave the page
    QString error;             // not well-formed
};

Page ReadPage(const QString &path)
{
    QFile file(path);
    Page page;
    if (!file.open(QIODevice::ReadOnly))
        return {QString(), QString(), {}, "cannot be read"};
    QXmlStreamReader reader(&file);
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
        if (reader.isCharacters())
            page.text += reader.text().toString() + ' ';
        if (!reader.isStartElement())
            continue;
        if (reader.name() == QLatin1String("html"))
            page.language = reader.attributes().value("lang").toString();
        for (const char *foreign : {"script", "link", "img", "iframe", "object", "embed"}) {
            if (reader.name() == QLatin1String(foreign))
                page.foreignThings.append(foreign);
        }
        const QString href = reader.attributes().value("href").toString();
        if (reader.attributes().hasAttribute("src") || (!href.isEmpty() && !href.startsWith('#')))
            page.foreignThings.append(reader.name().toString());
    }
    page.error = reader.hasError() ? reader.errorString() + QString(" at line %1").arg(reader.lineNumber()) : QString();
    page.text = page.text.simplified();
    return page;
}

// Every command quenzar-cli lists, and every option of each, as its own help gives them.
QStringList CommandsAndOptions()
{
    QByteArray usage;
    RunCli({"--help"}, &usage);
    const QString commandList = QString::fromUtf8(usage).section("Commands:", 1).section("\n\n", 0, 0);
    QStringList found;
    for (const QString &line : commandList.split('\n', Qt::SkipEmptyParts)) {
        const QString command = line.simplified().section(' ', 0, 0);
        found.append("quenzar-cli " + command);
        QByteArray help;
        RunCli({command, "--help"}, &help);
        static const QRegularExpression option("--([a-z-]+)");
        for (const QRegularExpressionMatch &match : option.globalMatch(QString::fromUtf8(help))) {
            if (!match.captured(1).startsWith("help"))
                found.append(match.captured(0));
        }
    }
    found.removeDuplicates();
    return found;
}

// The text names the command or option itself, not only a longer one it begins ("--keep" in
// "--keep-going").
bool NamesWhole(const QString &text, const QString &command)
{
    return text.contains(QRegularExpression(QRegularExpression::escape(command) + "(?![a-z-])"));
}

TEST(HelpPages, EachLanguageHasAWellFormedPageInTheWindowsWordsNamingEveryCommand)
{
    ScopedEnvironment environment("QUENZAR_CODEPAGE", "windows-1252");
    const QStringList commands = CommandsAndOptions();
    ASSERT_GE(commands.size(), 9) << "four commands, five options: " << commands.join(' ').toStdString();
    for (const QString &code : kLanguageFiles) {
        const QString languageFile = ProgramDataFolder("Lng") + '/' + code + ".lng";
        const QString language = ReadIni("Setup", "lng", "", languageFile);
        const QString path = LocalHelpPage(language);
        SCOPED_TRACE(path.toStdString());
        ASSERT_EQ(path, ProgramFolder() + "/Help/" + language + ".html") << "beside the program, in its own language";
        const Page page = ReadPage(path);
        EXPECT_EQ(page.error, "");
        EXPECT_EQ(page.language, language);
        EXPECT_EQ(page.foreignThings, QStringList());
        for (const QString &command : commands)
            EXPECT_TRUE(NamesWhole(page.text, command)) << command.toStdString();
        for (const auto &[section, key] : kWindowWords) {
            const QString words = ReadIni(section, key, "", languageFile).remove('&').simplified();
            EXPECT_TRUE(page.text.contains(words))
                << "[" << section.toStdString() << "] " << key.toStdString() << ": " << words.toStdString();
        }
    }
}

TEST(HelpPages, TheManualNamesEverythingTheToolHasAndTheToolNamesThePages)
{
    QByteArray usage;
    RunCli({"--help"}, &usage);
    EXPECT_TRUE(usage.contains((ProgramFolder() + "/Help/").toUtf8())) << usage.toStdString();

    QFile manual(QStringLiteral(QUENZAR_SOURCE "/packaging/quenzar-cli.1"));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(manual.readAll()).replace("\\-", "-");
    for (const QString &command : CommandsAndOptions())
        EXPECT_TRUE(NamesWhole(text, command)) << command.toStdString();
}

} // namespace
