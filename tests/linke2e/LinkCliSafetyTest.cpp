// dravel-cli's safe flashing: backup and verify options, restore, the backups list and the detail lines.
#include "SimProcess.h"
#include "link/DatabaseTestFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs dravel-cli with its data and settings homes in the test's folder.
Result Cli(const QStringList &args, const QString &home)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_CONFIG_HOME", home + "/config");
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(DRAVEL_BIN_DIR "/dravel-cli"), args);
    Result result;
    if (!process.waitForFinished(120000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QByteArray LineAfter(const QByteArray &text, const QByteArray &message)
{
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].contains(message))
            return lines[i + 1].trimmed();
    return QByteArray();
}

// The path on the "backup: PATH" line.
QString BackupLine(const QByteArray &err)
{
    for (const QByteArray &line : err.split('\n'))
        if (line.startsWith("backup: "))
            return QString::fromUtf8(line.mid(8).trimmed());
    return QString();
}

class LinkCliSafety : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(SimProcess::Program())) << "stb-sim is not built";
        flashPath = dir.filePath("flash.abs");
        database = dir.filePath("db.ddf");
        home = dir.filePath("home");
        ASSERT_TRUE(WriteFile(database, DatabaseFileOfSize(0x3000, QByteArray(0x3000, char(0x5A)))));
    }

    QTemporaryDir dir;
    QString flashPath;
    QString database;
    QString home;
    SimProcess sim;
};

} // namespace

TEST_F(LinkCliSafety, DownloadBacksUpIntoTheDataFolderAndRestoreUndoesIt)
{
    ASSERT_TRUE(sim.Start({"--flash", flashPath, "--create"}));
    ASSERT_TRUE(sim.Stop());
    const QByteArray initial = ReadFile(flashPath);
    ASSERT_TRUE(sim.Start({"--flash", flashPath}));

    Result down = Cli({"download", database, "--port", sim.Device()}, home);
    ASSERT_EQ(down.exitCode, 0) << down.err.constData();
    EXPECT_TRUE(down.err.contains("Backing up the STB's database chunks")) << down.err.constData();
    EXPECT_TRUE(down.err.contains("Verifying the flash")) << down.err.constData();
    const QString backup = BackupLine(down.err);
    EXPECT_TRUE(backup.startsWith(home + "/data/dravel/backups/stb-")) << backup.toStdString();
    ASSERT_TRUE(QFileInfo(backup).isFile());

    Result list = Cli({"backups"}, home);
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.contains("1 backups")) << list.out.constData();
    EXPECT_TRUE(list.out.contains("default      ok")) << list.out.constData();

    Result restore = Cli({"restore", backup, "--port", sim.Device()}, home);
    ASSERT_EQ(restore.exitCode, 0) << restore.err.constData();
    EXPECT_TRUE(restore.out.contains("restored")) << restore.out.constData();
    EXPECT_TRUE(restore.err.contains("Verifying the flash"));
    EXPECT_FALSE(restore.err.contains("Backing up")); // a restore makes no new backup
    ASSERT_TRUE(sim.Stop());
    EXPECT_TRUE(ReadFile(flashPath) == initial);
}

TEST_F(LinkCliSafety, OptionsChooseTheFolderOrNoneAndFailuresSayWhy)
{
    ASSERT_TRUE(sim.Start({"--flash", flashPath, "--create", "--corrupt-burn", "0x200"}));
    const QString folder = dir.filePath("mine");
    Result corrupt = Cli({"download", database, "--port", sim.Device(), "--backup", folder}, home);
    EXPECT_EQ(corrupt.exitCode, 1);
    EXPECT_TRUE(corrupt.err.contains("dravel-cli: Verify failed: chunk 0x03FC0100, offset 0x00000200"))
        << corrupt.err.constData();
    const QString backup = BackupLine(corrupt.err);
    EXPECT_TRUE(backup.startsWith(folder + "/stb-")) << corrupt.err.constData();
    EXPECT_TRUE(corrupt.err.contains("holds 0x")) << corrupt.err.constData(); // the detail line

    Result unchecked = Cli({"download", database, "--port", sim.Device(), "--no-backup", "--no-verify"}, home);
    EXPECT_EQ(unchecked.exitCode, 0) << unchecked.err.constData();
    EXPECT_TRUE(BackupLine(unchecked.err).isEmpty());
    EXPECT_FALSE(QDir(home + "/data/dravel/backups").exists());

    // A folder that cannot be made stops the download with the reason below the message.
    ASSERT_TRUE(WriteFile(dir.filePath("file"), "x"));
    Result blocked = Cli({"download", database, "--port", sim.Device(), "--backup", dir.filePath("file/b")}, home);
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_EQ(LineAfter(blocked.err, "dravel-cli: Backup fail: nothing was loaded into the STB."),
              ("cannot create the backups folder " + dir.filePath("file/b")).toUtf8())
        << blocked.err.constData();

    EXPECT_EQ(Cli({"download", database, "--port", sim.Device(), "--backup", folder, "--no-backup"}, home).exitCode, 2);
    EXPECT_EQ(Cli({"download", database, "--port", sim.Device(), "--verify", "--no-verify"}, home).exitCode, 2);
    EXPECT_EQ(Cli({"restore", "x.ddf", "--port", sim.Device()}, home).exitCode, 1);
    Result notBackup = Cli({"restore", database + ".abs", "--port", sim.Device()}, home);
    EXPECT_EQ(notBackup.exitCode, 1);
    EXPECT_TRUE(notBackup.err.contains("Get File blocks error")) << notBackup.err.constData();
    ASSERT_TRUE(sim.Stop());

    // The port that does not open names the device and the system's reason.
    Result noPort = Cli({"download", database, "--port", dir.filePath("no-tty"), "--no-backup"}, home);
    EXPECT_EQ(noPort.exitCode, 1);
    EXPECT_EQ(LineAfter(noPort.err, "dravel-cli: can not open port"),
              (dir.filePath("no-tty") + ": No such file or directory").toUtf8())
        << noPort.err.constData();
}
