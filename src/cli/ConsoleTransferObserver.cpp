// Step lines and a stderr progress bar for the link commands; SIGINT becomes Cancel.
#include "cli/ConsoleTransferObserver.h"

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int)
{
    g_interrupted = 1;
    // The next Ctrl+C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
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
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
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
    if (m_barOpen) {
        std::fputc('\n', stderr);
        m_barOpen = false;
    }
    m_lastPercent = -1;
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
    if (!m_bar || percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    const int width = 40;
    const int filled = percent * width / 100;
    std::fprintf(stderr, "\r  [%.*s%*s] %3d%%", filled, "########################################",
                 width - filled, "", percent);
    std::fflush(stderr);
    m_barOpen = true;
}

void ConsoleTransferObserver::SetCaption(const QString &caption)
{
    Line(caption);
}
