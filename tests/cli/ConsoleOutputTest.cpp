// The console side of dravel-cli on stderr: progress bars that end their line before any message,
// no bar at 0 %, multi-line messages, and the signals that cancel a transfer.
//
// The console classes are part of the program, not of a library: their sources are compiled in
// here, and stderr is caught in a file while they write.
#include "cli/ConsolePrompt.cpp"
#include "cli/ConsoleTransferObserver.cpp"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <functional>

namespace {

// Everything written to stderr while the function runs.
QByteArray CaptureStderr(const std::function<void()> &write)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("stderr"));
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (saved < 0 || fd < 0)
        return "<cannot capture>";
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
    write();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    return ReadFileBytes(dir.filePath("stderr"));
}

TEST(ConsoleOutput, ABarAtZeroPercentIsNeverDrawn)
{
    const QByteArray out = CaptureStderr([] {
        ConsoleTransferObserver observer(true);
        observer.SetProgress(1, 2, 0);
        observer.SetControlText(3, QStringLiteral("Download to sdram"));
        observer.SetProgress(1, 2, 0);
    });
    EXPECT_EQ(out, "Download to sdram\n");
}

TEST(ConsoleOutput, MessagesStartOnALineOfTheirOwnAfterABar)
{
    const QByteArray out = CaptureStderr([] {
        ConsoleTransferObserver observer(true);
        ConsolePrompt prompt;
        observer.SetProgress(1, 2, 0);
        observer.SetProgress(1, 2, 8);
        prompt.ShowMessage(QStringLiteral("Download sdram fail."));
        observer.SetProgress(1, 2, 50);
        ConsolePrompt::Print(QStringLiteral("cancelled"));
        observer.SetProgress(1, 2, 60);
        prompt.AskYesNo(QStringLiteral("Continue?"));
        observer.SetProgress(1, 2, 70);
    });
    const QByteArray bar8 = "\r  [###" + QByteArray(37, ' ') + "]   8%";
    EXPECT_TRUE(out.startsWith(bar8 + "\ndravel-cli: Download sdram fail.\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("%\ndravel-cli: cancelled\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("%\ndravel-cli: Continue? No (give --yes to answer Yes)\n")) << out.toStdString();
    // The last bar is ended by the observer's end; no message is ever glued to a percent.
    EXPECT_TRUE(out.endsWith(" 70%\n")) << out.toStdString();
    EXPECT_FALSE(out.contains("%dravel-cli")) << out.toStdString();
    EXPECT_FALSE(out.contains("  0%")) << out.toStdString();
}

TEST(ConsoleOutput, WithoutATerminalThereIsNoBarAndPercentsStayInRange)
{
    const QByteArray none = CaptureStderr([] {
        ConsoleTransferObserver observer(false);
        observer.SetProgress(1, 2, 40);
        observer.SetCaption(QStringLiteral("Upload"));
    });
    EXPECT_EQ(none, "Upload\n");

    const QByteArray clamped = CaptureStderr([] {
        ConsoleTransferObserver observer(true);
        observer.SetProgress(1, 2, 250);
    });
    EXPECT_EQ(clamped, "\r  [" + QByteArray(40, '#') + "] 100%\n");
}

TEST(ConsoleOutput, AMessagesFurtherLinesAreIndentedUnderIt)
{
    const QByteArray out = CaptureStderr([] {
        ConsolePrompt prompt;
        prompt.ShowMessage(QStringLiteral("Cannot open \"x.usd\".\nNo such file or directory"));
        prompt.ShowMessage(QStringLiteral("zlib version mismatch!\n"));
        prompt.ShowMessage(QStringLiteral("Can not open file!"), QStringLiteral("Warning"), UserPrompt::Exclamation);
        ConsolePrompt::PrintDetail(QStringLiteral("at most 5 fit"));
        EXPECT_EQ(prompt.MessageCount(), 3);
        EXPECT_EQ(prompt.LastMessage(), "Can not open file!");
    });
    EXPECT_EQ(out, "dravel-cli: Cannot open \"x.usd\".\n"
                   "  No such file or directory\n"
                   "dravel-cli: zlib version mismatch!\n"
                   "dravel-cli: Warning: Can not open file!\n"
                   "  at most 5 fit\n");
}

TEST(ConsoleOutput, TermAndHangUpCancelLikeCtrlC)
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ConsoleTransferObserver::InstallInterruptHandler();
        ConsoleTransferObserver observer(false);
        EXPECT_FALSE(observer.CancelRequested()) << signal;
        std::raise(signal);
        EXPECT_TRUE(observer.CancelRequested()) << signal;
        EXPECT_TRUE(ConsoleTransferObserver::Interrupted()) << signal;
    }
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, SIG_DFL);
}

} // namespace

TEST(ConsoleOutput, TheBarCarriesTheRateLineAndCoversLongerOnes)
{
    const QByteArray out = CaptureStderr([] {
        ConsoleTransferObserver observer(true);
        observer.SetRateText(1, QString::fromUtf8("45 % \u00B7 9.8 KB/s \u00B7 0:12 left")); // no bar yet: nothing
        observer.SetProgress(1, 2, 45);
        observer.SetRateText(1, QString::fromUtf8("45 % \u00B7 9.8 KB/s \u00B7 0:12 left"));
        observer.SetRateText(1, QString::fromUtf8("45 % \u00B7 9.9 KB/s \u00B7 0:11 left")); // same percent, too soon
        observer.SetProgress(1, 2, 100);
        observer.SetRateText(1, QString::fromUtf8("100 % \u00B7 9.9 KB/s"));
    });
    const QByteArray bar45 = "\r  [##################" + QByteArray(22, ' ') + "] ";
    EXPECT_TRUE(out.contains(bar45 + QString::fromUtf8("45 % \u00B7 9.8 KB/s \u00B7 0:12 left").toUtf8()))
        << out.toStdString();
    EXPECT_FALSE(out.contains("0:11 left")) << out.toStdString();
    // The shorter last line is padded over the longer one before it.
    EXPECT_TRUE(out.contains(QString::fromUtf8("100 % \u00B7 9.9 KB/s").toUtf8() + "         ")) << out.toStdString();
    EXPECT_TRUE(out.endsWith("\n"));
}
