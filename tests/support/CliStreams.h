#pragma once

#include "CliRunner.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

// quenzar-cli run with its two streams kept apart, for output that must be read alone: a JSON
// document on standard output while warnings go to standard error. The exit status, or -1 when it
// could not be run to its end.
struct CliStreams {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

inline CliStreams RunCliStreams(const QStringList &arguments)
{
    QProcess process;
    process.start(kCli, arguments);
    CliStreams result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// Standard output as one JSON object; an empty one, failing the test, when it is not one.
inline QJsonObject JsonOutput(const CliStreams &run)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << error.errorString().toStdString() << ": " << run.out.toStdString();
    EXPECT_TRUE(document.isObject()) << run.out.toStdString();
    return document.object();
}
