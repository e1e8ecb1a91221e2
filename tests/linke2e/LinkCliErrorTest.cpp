// dravel-cli's link errors say why: the step's message, then what the command knows, and
// SIGTERM cancels like Ctrl+C; stb-sim removes its --link on SIGHUP.
#include "SimProcess.h"
#include "link/DatabaseTestFile.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray err;
};

Result Cli(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(DRAVEL_BIN_DIR "/dravel-cli"), args);
    Result result;
    if (!process.waitForFinished(120000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.err = process.readAllStandardError();
    return result;
}

// The line after the one that holds message.
QByteArray LineAfter(const QByteArray &text, const QByteArray &message)
{
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].contains(message))
            return lines[i + 1].trimmed();
    return QByteArray();
}

class LinkCliErrors : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(SimProcess::Program())) << "stb-sim is not built";
        flashPath = dir.filePath("flash.abs");
        database = dir.filePath("db.ddf");
        ASSERT_TRUE(WriteFile(database, DatabaseFileOfSize(0x3000, QByteArray(0x3000, char(0x5A)))));
    }

    QTemporaryDir dir;
    QString flashPath;
    QString database;
    SimProcess sim;
};

} // namespace

TEST_F(LinkCliErrors, AFrozenReceiverIsNamedOnTheSecondLine)
{
    ASSERT_TRUE(sim.Start({"--flash", flashPath, "--create", "--freeze-after", "8"}));
    const auto start = std::chrono::steady_clock::now();
    // The freeze is counted in packets: without the backup's dump it falls into the load.
    const Result r = Cli({"download", database, "--port", sim.Device(), "--timeout", "2", "--no-backup"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(("testing connection on " + sim.Device() + "\u2026").toUtf8())) << r.err.constData();
    EXPECT_EQ(LineAfter(r.err, "dravel-cli: Download sdram fail."), "the receiver stopped answering (no progress for 2 s)")
        << r.err.constData();
}

TEST_F(LinkCliErrors, RefusalsAndBrokenFilesSayWhy)
{
    ASSERT_TRUE(sim.Start({"--flash", flashPath, "--create", "--final-refusal", "65540", "--refuse-command", "burn"}));
    Result r = Cli({"download", database, "--port", sim.Device()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(LineAfter(r.err, "dravel-cli: Burn flash fail"), "the receiver refused: status 65540 (STB nothing can burn!)")
        << r.err.constData();

    r = Cli({"download", dir.filePath("nothere.ddf"), "--port", sim.Device()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(LineAfter(r.err, "dravel-cli: Can't Read Select File!"),
              (dir.filePath("nothere.ddf") + ": No such file or directory").toUtf8());
    EXPECT_FALSE(r.err.contains("testing connection")) << r.err.constData();

    r = Cli({"upload", dir.filePath("nodir/x.ddf"), "--port", sim.Device()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Can not open file!")) << r.err.constData();
    EXPECT_TRUE(r.err.contains(dir.filePath("nodir").toUtf8() + ": No such file or directory")) << r.err.constData();
    ASSERT_TRUE(sim.Stop());

    QByteArray image = ReadFile(flashPath);
    image[0x70000 + 200] = char(image[0x70000 + 200] ^ 0x01); // the default database's contents
    const QString broken = dir.filePath("broken.abs");
    ASSERT_TRUE(WriteFile(broken, image));
    r = Cli({"abs", broken});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(LineAfter(r.err, "dravel-cli: Get File blocks error"), "chunk 2 (0x03FC0100): CRC mismatch")
        << r.err.constData();
}

TEST_F(LinkCliErrors, SigtermCancelsAndTellsTheReceiver)
{
    ASSERT_TRUE(sim.Start({"--flash", flashPath, "--create", "--line-rate", "115200", "--verbose"}));
    const QString udf = dir.filePath("db.udf");
    std::mt19937 rng(9);
    QByteArray filler(0x10000, 0);
    for (auto &b : filler)
        b = char(rng()); // nothing to compress: a long transfer
    ASSERT_TRUE(WriteFile(udf, DatabaseFileOfSize(0x10000, filler)));
    QProcess cli;
    cli.start(QStringLiteral(DRAVEL_BIN_DIR "/dravel-cli"), {"download", udf, "--port", sim.Device()});
    ASSERT_TRUE(cli.waitForStarted());
    QByteArray err;
    const auto give = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!err.contains("Download to sdram(") && std::chrono::steady_clock::now() < give) {
        cli.waitForReadyRead(200);
        err += cli.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("Download to sdram(")) << err.constData();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    ::kill(pid_t(cli.processId()), SIGTERM);
    ASSERT_TRUE(cli.waitForFinished(5000));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(sim.Stop());
    EXPECT_TRUE(sim.Log().contains("transfer abandoned")) << "the receiver was not told";
}

TEST_F(LinkCliErrors, StbSimRemovesItsLinkOnSighup)
{
    const QString link = dir.filePath("stb");
    ASSERT_TRUE(sim.Start({"--link", link}));
    ASSERT_TRUE(QFileInfo(link).isSymLink());
    ::kill(pid_t(sim.Pid()), SIGHUP);
    ASSERT_TRUE(sim.WaitFinished(5000));
    EXPECT_EQ(sim.ExitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(link));
}
