#include "Terminal.h"

#include "CodePage.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>
#include <cerrno>
#include <cstring>
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

bool OutputWritten()
{
    errno = 0;
    Out().flush();
    const bool written = Out().status() == QTextStream::Ok && std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written)
        Err() << "Cannot write to standard output: " << (errno ? std::strerror(errno) : "write error") << '\n';
    return written;
}

namespace {

// Qt's help begins "Usage: " and the path the program was started by, which may be the build tree's:
// the command's help names the command as it is typed instead.
QString CommandHelp(const QCommandLineParser &parser, const QString &command)
{
    QString help = parser.helpText();
    const QString started = QStringLiteral("Usage: ") + QCoreApplication::arguments().value(0);
    if (help.startsWith(started))
        help.replace(0, started.size(), QStringLiteral("Usage: quenzar-cli ") + command);
    return help;
}

} // namespace

bool ParseArguments(QCommandLineParser &parser, const QStringList &arguments, qsizetype positionals)
{
    return ParseArguments(parser, arguments, positionals, positionals);
}

bool ParseArguments(QCommandLineParser &parser, const QStringList &arguments, qsizetype fewest, qsizetype most)
{
    if (!parser.parse(arguments)) {
        Err() << parser.errorText() << '\n';
        return false;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        Out() << CommandHelp(parser, arguments.value(0));
        std::exit(OutputWritten() ? 0 : 1);
    }
    const qsizetype given = parser.positionalArguments().size();
    if (given < fewest || given > most) {
        Err() << "Expected "
              << (fewest == most       ? QString::number(fewest)
                  : most == kAnyNumber ? QStringLiteral("at least %1").arg(fewest)
                                       : QStringLiteral("%1 to %2").arg(fewest).arg(most))
              << " argument(s); see --help.\n";
        return false;
    }
    return true;
}

bool ApplyCodePage(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    // An empty name is no choice: a unit or a script may pass a per-project setting that is unset.
    const QString name = parser.value(option);
    if (name.isEmpty())
        return true;
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

QString Crc32Text(quint32 crc) { return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')); }

void PrintJson(const QJsonObject &document) { Out() << QJsonDocument(document).toJson(QJsonDocument::Indented); }
