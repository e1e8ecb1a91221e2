// The option parsing, detail line and step observer shared by the dravel-cli link commands.
#include "cli/CliLinkSupport.h"

#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "link/DownloadJob.h"
#include "link/LinkFailureDetail.h"
#include "link/TransferObserver.h"

#include <cstdio>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

bool StandardErrorIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

const QStringList kLinkValuedOptions = {QStringLiteral("--port"), QStringLiteral("--format"),
                                        QStringLiteral("--timeout")};

bool ParseLinkOptions(CliOptions &options, const QStringList &args, const char *usage, int positionals,
                      LinkCommandSettings &settings, int &status)
{
    LinkPortSettings &port = settings.port;
    int &format = settings.format;
    if (!options.Parse(args)) {
        status = UsageError(usage, options.Error());
        return false;
    }
    if (options.Help()) {
        status = PrintHelp(usage);
        return false;
    }
    if (options.Positionals().size() != positionals) {
        status = UsageError(usage, positionals ? QStringLiteral("exactly one file is needed")
                                               : QStringLiteral("no file is taken"));
        return false;
    }
    const QString device = options.Value("--port");
    if (device.isEmpty()) {
        status = UsageError(usage, QStringLiteral("--port is needed"));
        return false;
    }
    bool isNumber = false;
    const int number = device.toInt(&isNumber);
    if (isNumber && number >= 1)
        port.portNumber = number;
    else
        port.devicePath = device;
    const auto given = options.Number("--format", 1, 2);
    if (!options.Error().isEmpty()) {
        status = UsageError(usage, options.Error());
        return false;
    }
    format = given ? int(*given) : 1;
    const auto timeout = options.Number("--timeout", 1, 3600);
    if (!options.Error().isEmpty()) {
        status = UsageError(usage, options.Error());
        return false;
    }
    if (timeout)
        settings.stallTimeoutMs = int(*timeout) * 1000;
    settings.device = device;
    return true;
}

// The second line under a failure: what the command knows beyond the system's message.
void PrintDetail(const QString &detail)
{
    if (detail.isEmpty())
        return;
    ConsoleTransferObserver::EndProgressLine();
    std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    std::fflush(stderr);
}

void LinkConsoleObserver::ShowControl(int controlId)
{
    ConsoleTransferObserver::ShowControl(controlId);
    if (!m_testing && (controlId == TransferControl::kDownloadTestStep || controlId == TransferControl::kUploadTestStep)) {
        m_testing = true;
        PrintTesting(m_device);
    }
}

void LinkConsoleObserver::PrintTesting(const QString &device)
{
    std::fprintf(stderr, "testing connection on %s\u2026\n", device.toUtf8().constData());
    std::fflush(stderr);
}

bool RunConsoleDownload(const QString &path, const DownloadOptions &download, const LinkCommandSettings &settings)
{
    ConsoleTransferObserver::InstallInterruptHandler();
    ConsolePrompt prompt;
    LinkConsoleObserver observer(StandardErrorIsTerminal(), settings.device);
    CUpgradeLink link;
    link.SetStallTimeoutMs(settings.stallTimeoutMs);
    DownloadJob job(link, prompt, observer);
    const bool ok = job.Run(path, download);
    const auto printBackup = [&job] {
        if (job.BackupPath().isEmpty())
            return;
        ConsoleTransferObserver::EndProgressLine();
        std::fprintf(stderr, "backup: %s\n", job.BackupPath().toUtf8().constData());
        std::fflush(stderr);
    };
    if (ok) {
        printBackup();
        return true;
    }
    if (ConsoleTransferObserver::Interrupted())
        Failure(QStringLiteral("cancelled"));
    else
        PrintDetail(!job.FailureDetail().isEmpty() ? job.FailureDetail()
                                                   : LinkFailureDetail(link, job.FailureStatus()));
    printBackup();
    return false;
}
