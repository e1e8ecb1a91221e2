// Files and streams that cannot be used: the reason under the message, bounded reads of devices
// and FIFOs, write errors of stdout, and the mode and write protection of convert's targets.
#include "CliTestSupport.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

namespace {

// The message line and the indented reason line under it.
void ExpectReason(const CliResult &r, const QByteArray &message, const QByteArray &reason)
{
    const QList<QByteArray> lines = r.err.split('\n');
    bool found = false;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].startsWith("dravel-cli: " + message)) {
            EXPECT_EQ(lines[i + 1], "  " + reason) << r.err.toStdString();
            found = true;
        }
    }
    EXPECT_TRUE(found) << r.err.toStdString();
}

TEST_F(CliTest, CannotOpenAndCannotWriteSayWhy)
{
    const CliResult missing = Run({"info", Path("missing.usd")});
    EXPECT_EQ(missing.exit, 1);
    ExpectReason(missing, "Cannot open \"" + Path("missing.usd").toUtf8() + "\".", "No such file or directory");

    QDir(Path("")).mkdir("folder.usd");
    const CliResult folder = Run({"dump", Path("folder.usd")});
    EXPECT_EQ(folder.exit, 1);
    ExpectReason(folder, "Cannot open", "Is a directory");
    EXPECT_TRUE(folder.out.isEmpty());

    Generate("a.usd", 1, 2, 3);
    for (const char *out : {"nodir/x.usd", "nodir/x.ddf"}) {
        const CliResult r = Run({"convert", Path("a.usd"), Path(out)});
        EXPECT_EQ(r.exit, 1) << out;
        ExpectReason(r, "Cannot write \"" + Path(out).toUtf8() + "\"; the file is unchanged.",
                     "No such file or directory");
        EXPECT_TRUE(r.out.isEmpty()) << out;
    }
}

TEST_F(CliTest, DevicesAndFifosAreReadBoundedAndNeverHang)
{
    // /dev/zero never ends: the read stops one byte past the largest database.
    const CliResult zero = Run({"info", "/dev/zero"});
    EXPECT_EQ(zero.exit, 1) << zero.err.toStdString();
    ExpectReason(zero, "The file is too large to be a channel database.",
                 "A channel database has at most 8520960 bytes.");

    // A FIFO that no one writes: given up after the idle time, well before the test's limit.
    const QString fifo = Path("pipe.usd");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    const CliResult silent = Run({"info", fifo});
    EXPECT_LT(timer.elapsed(), 60000);
    EXPECT_EQ(silent.exit, 1);
    ExpectReason(silent, "Cannot open", "nothing to read for 5 s (a pipe or FIFO without a writer?)");

    // A FIFO whose writer comes a little later is read once, whole: info's size is the file's.
    Generate("a.usd", 2, 5, 30);
    const QByteArray bytes = ReadFileBytes(Path("a.usd"));
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
        if (fd >= 0) {
            qsizetype done = 0;
            while (done < bytes.size()) {
                const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
                if (n <= 0)
                    break;
                done += n;
            }
            ::close(fd);
        }
    });
    const CliResult fed = Run({"info", fifo});
    writer.join();
    EXPECT_EQ(fed.exit, 0) << fed.err.toStdString();
    EXPECT_TRUE(fed.out.contains("(" + QByteArray::number(bytes.size()) + " bytes)")) << fed.out.toStdString();
    EXPECT_TRUE(fed.out.contains("programs      30")) << fed.out.toStdString();
}

TEST_F(CliTest, WriteErrorsOfStdoutFailTheCommand)
{
    Generate("a.usd", 3, 20, 200);
    const QList<QStringList> cases = {
        {"info", Path("a.usd")},
        {"dump", Path("a.usd")},  // larger than a stdio buffer: fails while writing
        {"dump", Path("a.usd"), "--format", "csv"},
        {"--version"},
        {"--help"},
        {"info", "--help"},
        {"template", BundledTemplatePath()},
    };
    for (const QStringList &args : cases) {
        const CliResult r = Run(args, "/dev/full");
        EXPECT_EQ(r.exit, 1) << args.join(' ').toStdString();
        ExpectReason(r, "Cannot write the standard output.", "No space left on device");
    }
    // A command that failed already keeps its status.
    const CliResult usage = Run({"info"}, "/dev/full");
    EXPECT_EQ(usage.exit, 2);
}

TEST_F(CliTest, ConvertKeepsTheTargetsModeAndRefusesWhatTheSystemDoes)
{
    Generate("a.usd", 2, 6, 30);
    for (const char *name : {"o.usd", "o.ddf"}) {
        const QString out = Path(name);
        ASSERT_EQ(Run({"convert", Path("a.usd"), out}).exit, 0) << name;
        // A new file gets the mode every new file gets: 0666 less the umask.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(out).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << name;

        // An existing file keeps its mode.
        ASSERT_EQ(::chmod(QFile::encodeName(out).constData(), 0640), 0);
        ASSERT_EQ(Run({"convert", Path("a.usd"), out}).exit, 0) << name;
        ASSERT_EQ(::stat(QFile::encodeName(out).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0640u) << name;
    }

    // Read-only targets: both writers answer alike; refused unless the system lets us write
    // there anyway (root), and a refused file is unchanged.
    int refused = 0;
    for (const char *name : {"o.usd", "o.ddf"}) {
        const QString out = Path(name);
        ASSERT_TRUE(WriteFileBytes(out, "old"));
        ASSERT_EQ(::chmod(QFile::encodeName(out).constData(), 0444), 0);
        const bool writable = ::access(QFile::encodeName(out).constData(), W_OK) == 0;
        const CliResult r = Run({"convert", Path("a.usd"), out});
        if (writable) {
            EXPECT_EQ(r.exit, 0) << name;
            EXPECT_GT(QFileInfo(out).size(), 3) << name;
        } else {
            ++refused;
            EXPECT_EQ(r.exit, 1) << name;
            EXPECT_TRUE(r.err.contains("Cannot write")) << r.err.toStdString();
            EXPECT_EQ(ReadFileBytes(out), QByteArray("old")) << name;
        }
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(out).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0444u) << name;  // replaced or not, still read-only
    }
    EXPECT_TRUE(refused == 0 || refused == 2);
    // No temporary file is left beside the targets.
    EXPECT_EQ(QDir(Path("")).entryList(QDir::Files | QDir::Hidden).size(),
              QDir(Path("")).entryList({"*.usd", "*.ddf", "parse.input"}, QDir::Files | QDir::Hidden).size());
}

TEST_F(CliTest, ConvertConfirmsWithOneLineOfWhatWasWritten)
{
    Generate("t.usd", 3, 9, 40, 6, true);
    const QJsonObject dump = Dump("t.usd");
    auto earthly = [&](const char *kind) {
        int n = 0;
        for (const QJsonValue &node : dump[kind].toArray())
            n += node.toObject()["fields"].toObject()["sat_id"].toString() != "255";
        return n;
    };
    const CliResult r = Run({"convert", Path("t.usd"), Path("o.ddf"), "--yes"});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const QByteArray expected = Path("o.ddf").toUtf8() + ": " + QByteArray::number(earthly("satellites"))
        + " satellites, " + QByteArray::number(earthly("transponders")) + " transponders, "
        + QByteArray::number(earthly("programs")) + " programs written (65280 bytes)\n";
    EXPECT_EQ(r.out, expected);
    EXPECT_LT(earthly("satellites"), 3);

    // A declined save prints no confirmation.
    const CliResult no = Run({"convert", Path("t.usd"), Path("n.usd")});
    EXPECT_EQ(no.exit, 1);
    EXPECT_TRUE(no.out.isEmpty());
}

TEST_F(CliTest, ATooLargeDefaultDatabaseSaysHowLargeAndWhatFits)
{
    const CliResult big = Run({"generate", Path("big.ddf"), "--satellites", "4", "--transponders", "40",
                               "--programs", "3000"});
    ASSERT_EQ(big.exit, 1);
    const QList<QByteArray> lines = big.err.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << big.err.toStdString();
    EXPECT_EQ(lines[0], "dravel-cli: Default data is too long!");
    EXPECT_TRUE(lines[1].startsWith("  the node data and favourite groups take ")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" bytes; a \".ddf\" holds 65280")) << lines[1].toStdString();
    const qsizetype number = lines[1].indexOf("take ") + 5;
    EXPECT_GT(lines[1].mid(number, lines[1].indexOf(' ', number) - number).toInt(), 65280);

    const QByteArray lead = "  with 4 satellites and 40 transponders at most ";
    ASSERT_TRUE(lines[2].startsWith(lead) && lines[2].endsWith(" programs fit")) << lines[2].toStdString();
    const int fit = lines[2].mid(lead.size(), lines[2].size() - lead.size() - 13).toInt();
    ASSERT_GT(fit, 0);
    ASSERT_LT(fit, 3000);
    // The count given is the largest that works.
    auto generate = [&](int programs) {
        return Run({"generate", Path("fit.ddf"), "--satellites", "4", "--transponders", "40", "--programs",
                    QString::number(programs)})
            .exit;
    };
    EXPECT_EQ(generate(fit), 0);
    EXPECT_EQ(generate(fit + 1), 1);
}

} // namespace
