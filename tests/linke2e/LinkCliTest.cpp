// dravel-cli's link commands against the simulated STB: output, exit status, Ctrl+C.
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

struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QString CliProgram()
{
    return QStringLiteral(DRAVEL_BIN_DIR "/dravel-cli");
}

CliResult RunCli(const QStringList &args)
{
    QProcess process;
    process.start(CliProgram(), args);
    CliResult result;
    if (!process.waitForFinished(120000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

class LinkCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(SimProcess::Program())) << "stb-sim is not built";
        ASSERT_TRUE(QFileInfo::exists(CliProgram())) << "dravel-cli is not built";
        flashPath = dir.filePath("flash.abs");
    }

    QString RandomFile(const QString &name, int n)
    {
        std::mt19937 rng(5);
        QByteArray bytes(n, 0);
        for (auto &b : bytes)
            b = char(rng());
        // Databases must pass the download's container check: random bytes behind a valid one.
        if (!name.endsWith(".abs"))
            bytes = DatabaseFileOfSize(n, bytes);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    QTemporaryDir dir;
    QString flashPath;
    SimProcess sim;
};

} // namespace

TEST_F(LinkCli, AbsListsTheChainOrRefusesIt)
{
    ASSERT_TRUE(sim.Start({"--flash", flashPath, "--create"}));
    ASSERT_TRUE(sim.Stop());
    CliResult ok = RunCli({"abs", flashPath});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.constData();
    EXPECT_TRUE(ok.out.contains("4 chunks")) << ok.out.constData();
    EXPECT_TRUE(ok.out.contains("0x03FC0100")) << ok.out.constData();

    QByteArray broken = ReadFile(flashPath);
    broken[0x70000 + 1] = char(0xFD); // breaks the complement rule of the default database id
    const QString brokenPath = dir.filePath("broken.abs");
    ASSERT_TRUE(WriteFile(brokenPath, broken));
    CliResult bad = RunCli({"abs", brokenPath});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("Get File blocks error")) << bad.err.constData();

    EXPECT_EQ(RunCli({"abs"}).exitCode, 2);
    EXPECT_EQ(RunCli({"download", "x.ddf"}).exitCode, 2); // no --port
    EXPECT_EQ(RunCli({"upload", "x.ddf", "--port", "/dev/null", "--format", "3"}).exitCode, 2);
    CliResult wrongType = RunCli({"download", "x.DDF", "--port", "/dev/null"});
    EXPECT_EQ(wrongType.exitCode, 1);
    EXPECT_TRUE(wrongType.err.contains("Invalid File Selected!"));
}

TEST_F(LinkCli, ProbeDownloadAndUploadRoundTrip)
{
    ASSERT_TRUE(sim.Start({"--proto", "0x21", "--flash", flashPath, "--create"}));
    CliResult probe = RunCli({"probe", "--port", sim.Device()});
    EXPECT_EQ(probe.exitCode, 0) << probe.err.constData();
    EXPECT_TRUE(probe.out.contains("transfer protocol version: 2.1")) << probe.out.constData();
    EXPECT_TRUE(probe.out.contains("USER DB")) << probe.out.constData();

    const QString ddf = RandomFile("db.ddf", 0x3000);
    CliResult down = RunCli({"download", ddf, "--port", sim.Device()});
    EXPECT_EQ(down.exitCode, 0) << down.err.constData();
    EXPECT_TRUE(down.err.contains("Burning to flash"));

    const QString back = dir.filePath("back.ddf");
    CliResult up = RunCli({"upload", back, "--port", sim.Device()});
    EXPECT_EQ(up.exitCode, 0) << up.err.constData();
    EXPECT_TRUE(ReadFile(back).left(0x3000) == ReadFile(ddf));

    ASSERT_TRUE(sim.Stop());
    CliResult noPort = RunCli({"download", ddf, "--port", dir.filePath("no-such-tty")});
    EXPECT_EQ(noPort.exitCode, 1);
    EXPECT_TRUE(noPort.err.contains("can not open port"));
}

TEST_F(LinkCli, CtrlCCancelsLikeTheCancelButton)
{
    ASSERT_TRUE(sim.Start({"--proto", "0x30", "--flash", flashPath, "--create", "--line-rate", "115200", "--verbose"}));
    const QByteArray initial = ReadFile(flashPath);
    QProcess cli;
    cli.start(CliProgram(), {"download", RandomFile("db.udf", 0x10000), "--port", sim.Device()});
    ASSERT_TRUE(cli.waitForStarted());
    QByteArray err;
    const auto give = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!err.contains("Download to sdram(") && std::chrono::steady_clock::now() < give) {
        cli.waitForReadyRead(200);
        err += cli.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("Download to sdram(")) << err.constData();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // well into the transfer
    const auto interrupted = std::chrono::steady_clock::now();
    ::kill(pid_t(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(5000));
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds(1));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 1);
    err += cli.readAllStandardError();
    EXPECT_TRUE(err.contains("cancelled")) << err.constData();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(sim.Stop());
    EXPECT_TRUE(sim.Log().contains("transfer abandoned"));
    EXPECT_TRUE(ReadFile(flashPath) == initial);
}
