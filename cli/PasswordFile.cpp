#include "PasswordFile.h"

#include "Terminal.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cstdio>

Outcome<QString> ReadPasswordFile(const QString &path)
{
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        return Outcome<QString>::failure(
            QStringLiteral("Cannot read the password file %1: %2").arg(path, file.errorString()));
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        return Outcome<QString>::failure(QStringLiteral("The password file %1 holds no password.").arg(path));
    // Bytes of another encoding would all decode to the replacement character, and "Passw\xF6rt"
    // would open what "Passw\xE4rt" protects.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString password = utf8.decode(line);
    if (utf8.hasError())
        return Outcome<QString>::failure(
            QStringLiteral("The password file %1 is not UTF-8 text: save it as UTF-8.").arg(path));
    return Outcome<QString>::success(password);
}

bool ReadPasswordOption(const QCommandLineParser &parser, const QCommandLineOption &option, QString &password)
{
    if (!parser.isSet(option))
        return true;
    const Outcome<QString> read = ReadPasswordFile(parser.value(option));
    if (!read) {
        Err() << read.error() << '\n';
        return false;
    }
    password = read.value();
    return true;
}

QCommandLineOption OpenPasswordFileOption()
{
    return QCommandLineOption("password-file",
                              "The password of a protected archive, in the first line of FILE (\"-\": standard input), "
                              "UTF-8 text.",
                              "FILE");
}

bool ParseArchiveArguments(QCommandLineParser &parser, const QStringList &arguments,
                           const QCommandLineOption &passwordFile, QString &archive, QString &password,
                           bool moreAllowed)
{
    if (!ParseArguments(parser, arguments, 1, moreAllowed ? kAnyNumber : 1))
        return false;
    archive = parser.positionalArguments().constFirst();
    if (!ReadPasswordOption(parser, passwordFile, password))
        return false;
    if (!QFileInfo(archive).isFile()) {
        Err() << "No such file: " << archive << '\n';
        return false;
    }
    return true;
}
