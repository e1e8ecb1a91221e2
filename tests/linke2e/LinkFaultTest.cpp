// The link against a simulated STB that damages, drops and refuses: results stay exact,
// refusals and dead lines end the way the user expects.
#include "SimProcess.h"
#include "link/DatabaseTestFile.h"
#include "link/RecordingObserver.h"
#include "link/CUpgradeLink.h"
#include "link/DownloadJob.h"
#include "link/UploadJob.h"
#include "support/ScriptedPrompt.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

class LinkFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(SimProcess::Program())) << "stb-sim is not built";
        flashPath = dir.filePath("flash.abs");
    }

    void StartSim(const QStringList &args)
    {
        ASSERT_TRUE(sim.Start(QStringList {"--flash", flashPath, "--create"} + args));
        initial = ReadFile(flashPath);
    }

    DownloadOptions Options() const
    {
        DownloadOptions options;
        options.port.devicePath = sim.Device();
        return options;
    }

    QString RandomFile(const QString &name, int n, unsigned seed)
    {
        std::mt19937 rng(seed);
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

    // Downloads a file of random bytes into the database chunk the ending names, uploads the
    // same range back and compares both with the flash the simulator wrote.
    void CheckRoundTrip(const QString &ending, int size)
    {
        const QString file = RandomFile("db" + ending, size, 3);
        DownloadJob download(link, prompt, observer);
        ASSERT_TRUE(download.Run(file, Options())) << prompt.messages.join("|").toStdString();

        UploadJob upload(link, prompt, observer);
        upload.SetStartDelayMs(0);
        UploadOptions options;
        options.port.devicePath = sim.Device();
        const QString back = dir.filePath("back" + ending);
        ASSERT_TRUE(upload.Run(options, [&](const QString &) { return std::optional<QString>(back); }))
            << prompt.messages.join("|").toStdString();
        ASSERT_TRUE(sim.Stop());
        const QByteArray flash = ReadFile(flashPath);
        const bool user = ending == ".udf";
        const int chunkAt = user ? 0x80000 : 0x70000;
        // A ".udf" that fits the user area goes back where an upload reads it.
        EXPECT_TRUE(flash.mid(chunkAt + (user ? 0x20080 : 128), size) == ReadFile(file));
        const QByteArray range = user ? flash.mid(chunkAt + 0x20080, 0x80000 - 0x20080)
                                      : flash.mid(chunkAt + 128, 0x10000 - 128);
        EXPECT_TRUE(ReadFile(back) == range);
        EXPECT_TRUE(prompt.messages.isEmpty());
    }

    QTemporaryDir dir;
    QString flashPath;
    QByteArray initial;
    SimProcess sim;
    CUpgradeLink link;
    ScriptedPrompt prompt;
    RecordingObserver observer;
};

} // namespace

TEST_F(LinkFaults, PacketTransfersStayExactWithOneFaultInAHundred)
{
    // Each of the four kinds of damage hits 1 in 100 packets: the results stay byte-identical.
    StartSim({"--proto", "0x30", "--seed", "7", "--corrupt-rate", "0.01", "--drop-rate", "0.01",
              "--rx-corrupt-rate", "0.01", "--rx-drop-rate", "0.01"});
    CheckRoundTrip(".udf", 0x30000);
}

TEST_F(LinkFaults, PacketTransfersStillCompleteWithFiveFaultsInAHundred)
{
    StartSim({"--proto", "0x30", "--seed", "11", "--corrupt-rate", "0.05", "--drop-rate", "0.05",
              "--rx-corrupt-rate", "0.05", "--rx-drop-rate", "0.05"});
    CheckRoundTrip(".ddf", 0x4000);
}

TEST_F(LinkFaults, CharacterTransferEndsAfterFiveRefusals)
{
    StartSim({"--proto", "0x21", "--refuse-blocks", "5"});
    DownloadJob job(link, prompt, observer);
    EXPECT_FALSE(job.Run(RandomFile("db.ddf", 0x2000, 4), Options()));
    EXPECT_EQ(prompt.messages, QStringList {"Download sdram fail."});
    EXPECT_EQ(observer.closeRequests, 1);
    EXPECT_TRUE(sim.Stop());
    EXPECT_TRUE(ReadFile(flashPath) == initial);
}

TEST_F(LinkFaults, FinalRefusalOfTheBurnIsAStepFailure)
{
    StartSim({"--proto", "0x30", "--final-refusal", "65540", "--refuse-command", "burn"});
    DownloadJob job(link, prompt, observer);
    EXPECT_FALSE(job.Run(RandomFile("db.ddf", 0x2000, 5), Options()));
    EXPECT_EQ(prompt.messages, QStringList {"Burn flash fail"});
    EXPECT_TRUE(sim.Stop());
    EXPECT_TRUE(ReadFile(flashPath) == initial);
}

TEST_F(LinkFaults, DeadLineEndsAtCancelWithoutAMessage)
{
    StartSim({"--proto", "0x30", "--silent"});
    Clock::time_point cancelledAt;
    std::thread user([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        cancelledAt = Clock::now();
        observer.cancel = true;
    });
    DownloadJob job(link, prompt, observer);
    EXPECT_FALSE(job.Run(RandomFile("db.ddf", 0x100, 6), Options()));
    const auto ended = Clock::now();
    user.join();
    EXPECT_LT(ended - cancelledAt, std::chrono::seconds(1));
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(observer.closeRequests, 1);
}

TEST_F(LinkFaults, CancelDuringATransferTellsTheStbToAbandon)
{
    StartSim({"--proto", "0x30", "--line-rate", "115200", "--verbose"});
    Clock::time_point cancelledAt {};
    struct CancellingObserver : RecordingObserver {
        Clock::time_point *at = nullptr;
        void SetProgress(int bar, int label, int percent) override
        {
            RecordingObserver::SetProgress(bar, label, percent);
            if (bar == TransferControl::kDownloadLoadBar && percent >= 20 && !cancel) {
                *at = Clock::now();
                cancel = true;
            }
        }
    } cancelling;
    cancelling.at = &cancelledAt;
    DownloadJob job(link, prompt, cancelling);
    EXPECT_FALSE(job.Run(RandomFile("db.udf", 0x10000, 7), Options()));
    const auto ended = Clock::now();
    ASSERT_TRUE(cancelling.cancel);
    EXPECT_LT(ended - cancelledAt, std::chrono::seconds(1));
    EXPECT_TRUE(prompt.messages.isEmpty());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(sim.Stop());
    EXPECT_TRUE(sim.Log().contains("transfer abandoned")) << "the STB was not told";
    EXPECT_TRUE(ReadFile(flashPath) == initial);
}
