// Runs dravel-cli as a child process in a scratch directory and reads its JSON dumps.
#pragma once

#include "support/TempDir.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

struct CliResult
{
    int exit = -1;       // -1 when the program crashed or did not finish
    QByteArray out;
    QByteArray err;
};

class CliTest : public ::testing::Test
{
protected:
    static QString CliPath() { return QStringLiteral(DRAVEL_BIN_DIR "/dravel-cli"); }

    // The child runs in the scratch directory ("parse.input" lands there) with a profile of its own.
    // stdoutFile, when given, receives the child's stdout instead of the pipe (/dev/full, say).
    CliResult Run(const QStringList &args, const QString &stdoutFile = QString())
    {
        QProcess process;
        if (!stdoutFile.isEmpty())
            process.setStandardOutputFile(stdoutFile, QIODevice::Append);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_dir.path());
        process.start(CliPath(), args);
        CliResult result;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        if (process.exitStatus() == QProcess::NormalExit)
            result.exit = process.exitCode();
        return result;
    }

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    // generate NAME with the given counts; fails the test when the command fails.
    void Generate(const QString &name, int sats, int tps, int progs, int seed = 1, bool terrestrial = false)
    {
        QStringList args = {QStringLiteral("generate"), Path(name), QStringLiteral("--satellites"), QString::number(sats),
                            QStringLiteral("--transponders"), QString::number(tps), QStringLiteral("--programs"),
                            QString::number(progs), QStringLiteral("--seed"), QString::number(seed)};
        if (terrestrial)
            args << QStringLiteral("--terrestrial");
        const CliResult r = Run(args);
        ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    }

    QJsonObject Dump(const QString &name)
    {
        const CliResult r = Run({QStringLiteral("dump"), Path(name)});
        EXPECT_EQ(r.exit, 0) << r.err.toStdString();
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return doc.object();
    }

private:
    QTemporaryDir m_dir;
};
