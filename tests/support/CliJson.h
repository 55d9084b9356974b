#pragma once

#include "CliRunner.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

// quenzar-cli run with --json among its arguments: its exit status, standard output parsed as the one
// JSON document it must be (an empty object, and *problem saying why, when it is not), and standard
// error, where warnings stay, apart.
struct CliJsonRun {
    int status = -1;
    QJsonObject document;
    QString problem; // why standard output is no JSON object; empty when it is one
    QByteArray errors;
};

inline CliJsonRun RunCliJson(const QStringList &arguments)
{
    CliJsonRun run;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(kCli, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(120000)) {
        run.problem = QStringLiteral("quenzar-cli did not run to its end");
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errors = process.readAllStandardError();
    const QByteArray output = process.readAllStandardOutput();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(output, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        run.problem =
            QStringLiteral("not one JSON object (%1): %2").arg(error.errorString(), QString::fromUtf8(output));
    else
        run.document = document.object();
    return run;
}
