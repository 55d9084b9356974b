#include "Terminal.h"

#include "CodePage.h"

#include <QJsonDocument>

#include <cstdio>
#include <cstdlib>

QTextStream &Out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &Err()
{
    static QTextStream stream(stderr);
    return stream;
}

bool ParseArguments(QCommandLineParser &parser, const QStringList &arguments, qsizetype positionals, bool moreAllowed)
{
    if (!parser.parse(arguments)) {
        Err() << parser.errorText() << '\n';
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        Out() << parser.helpText();
        Out().flush();
        std::exit(0);
    }
    const qsizetype given = parser.positionalArguments().size();
    if (given < positionals || (given > positionals && !moreAllowed)) {
        Err() << "Expected " << (moreAllowed ? "at least " : "") << positionals << " argument(s); see --help.\n";
        return false;
    }
    return true;
}

bool ApplyCodePage(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    if (!parser.isSet(option))
        return true;
    const QString name = parser.value(option);
    if (CodePage::Override(name.toLatin1()))
        return true;
    Err() << "Unknown code page: " << name << '\n';
    return false;
}

void PrintTable(const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const QStringList &row : rows) {
        for (qsizetype column = 0; column < row.size(); ++column) {
            if (widths.size() <= column)
                widths.append(0);
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    for (const QStringList &row : rows) {
        for (qsizetype column = 0; column < row.size(); ++column) {
            const bool last = column + 1 == row.size();
            Out() << (last ? row[column] : row[column].leftJustified(widths[column] + 2));
        }
        Out() << '\n';
    }
}

QCommandLineOption JsonOption()
{
    return QCommandLineOption(QStringLiteral("json"),
                              QStringLiteral("Prints the result as one JSON document on standard output "
                                             "(the fields are described in the man page)."));
}

void PrintJson(const QJsonObject &document) { Out() << QJsonDocument(document).toJson(QJsonDocument::Indented); }
