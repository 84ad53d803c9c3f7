// Running varnscope-cli from a test: its exit status and both outputs.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

struct CliRun {
    int status = -1;  // -1 when it crashed or did not end in time
    QString out;
    QString err;
};

// input is written to its standard input, which is then closed either way.
inline CliRun Cli(const QStringList& args, const QByteArray& input = {}, int timeoutMs = 60000)
{
    QProcess p;
    p.start(VARNSCOPE_CLI, args);
    EXPECT_TRUE(p.waitForStarted(10000));
    if (!input.isNull())
        p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(timeoutMs));
    CliRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
