// Step lines and a stderr progress bar for the link commands; SIGINT, SIGTERM and SIGHUP become Cancel.
#include "cli/ConsoleTransferObserver.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

// A bar is drawn without its line feed; whoever prints next ends its line first.
std::atomic<bool> g_barOpen {false};

void OnInterrupt(int signal)
{
    g_interrupted = 1;
    // The same signal once more ends the program at once.
    std::signal(signal, SIG_DFL);
}

// The step texts of the transfer dialogs, by control id.
const char *StepText(int controlId)
{
    using namespace TransferControl;
    switch (controlId) {
    case kDownloadTestStep:
    case kUploadTestStep:
        return "Test serial port status";
    case kDownloadInfoStep:
        return "Collect STB information";
    case kDownloadLoadStep:
        return "Download to sdram";
    case kDownloadBurnStep:
        return "Burning to flash";
    case kUploadDumpStep:
        return "Start uploading";
    case kDownloadBackupStep:
        return "Backing up the STB's database chunks";
    case kDownloadVerifyStep:
        return "Verifying the flash";
    case kDownloadBackupDone:
    case kDownloadVerifyDone:
    case kDownloadTestDone: // also the upload's test step done
    case kDownloadInfoDone:
    case kDownloadLoadDone:
    case kDownloadBurnDone:
        return "  Finished";
    default:
        return nullptr;
    }
}

} // namespace

ConsoleTransferObserver::ConsoleTransferObserver(bool bar) : m_bar(bar) {}

ConsoleTransferObserver::~ConsoleTransferObserver()
{
    EndBar();
}

void ConsoleTransferObserver::InstallInterruptHandler()
{
    g_interrupted = 0;
#ifdef _WIN32
    // Windows has neither sigaction nor SIGHUP; Ctrl+C and SIGTERM still cancel.
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, OnInterrupt);
#else
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // A terminal closed (SIGHUP) or a service stopped (SIGTERM) must not leave the receiver in
    // the middle of an exchange either: both cancel like Ctrl+C.
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
#endif
}

void ConsoleTransferObserver::EndProgressLine()
{
    if (g_barOpen.exchange(false)) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
}

bool ConsoleTransferObserver::Interrupted()
{
    return g_interrupted != 0;
}

bool ConsoleTransferObserver::CancelRequested()
{
    return Interrupted();
}

void ConsoleTransferObserver::EndBar()
{
    EndProgressLine();
    m_lastPercent = -1;
    m_ratePercent = -1;
    m_rateWidth = 0;
}

void ConsoleTransferObserver::Line(const QString &text)
{
    EndBar();
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

void ConsoleTransferObserver::ShowControl(int controlId)
{
    // A control shown again (the upload shows its first "Finished" twice) is already visible.
    if (!m_shown.insert(controlId).second)
        return;
    if (const char *text = StepText(controlId))
        Line(text);
}

void ConsoleTransferObserver::SetControlText(int, const QString &text)
{
    Line(text);
}

void ConsoleTransferObserver::SetProgress(int, int, int percent)
{
    percent = std::clamp(percent, 0, 100);
    // Nothing is drawn before the first percent: a bar at 0 % that a message or the next step
    // ends at once would stay behind as an empty line.
    if (!m_bar || percent == m_lastPercent || (percent == 0 && m_lastPercent < 0))
        return;
    m_lastPercent = percent;
    DrawBar(percent, QString::asprintf("%3d%%", percent));
}

void ConsoleTransferObserver::SetRateText(int, const QString &text)
{
    if (!m_bar || m_lastPercent < 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (m_lastPercent == m_ratePercent && now - m_rateDrawn < std::chrono::milliseconds(250))
        return;
    m_ratePercent = m_lastPercent;
    m_rateDrawn = now;
    DrawBar(m_lastPercent, text);
}

void ConsoleTransferObserver::DrawBar(int percent, const QString &tail)
{
    const int width = 40;
    const int filled = percent * width / 100;
    const QByteArray text = tail.toUtf8();
    // A shorter line than the one before must cover its end.
    const int visible = int(tail.size());
    const int pad = std::max(0, m_rateWidth - visible);
    m_rateWidth = std::max(m_rateWidth, visible);
    std::fprintf(stderr, "\r  [%.*s%*s] %s%*s", filled, "########################################", width - filled, "",
                 text.constData(), pad, "");
    std::fflush(stderr);
    g_barOpen = true;
}

void ConsoleTransferObserver::SetCaption(const QString &caption)
{
    Line(caption);
}
