// Shared pieces of the dravel-cli commands that use the serial line.
#pragma once

#include "cli/CliOptions.h"
#include "cli/ConsoleTransferObserver.h"
#include "link/CUpgradeLink.h"
#include "link/LinkPortSettings.h"

#include <QString>
#include <QStringList>

// Progress bars only on a terminal.
bool StandardErrorIsTerminal();

struct LinkCommandSettings {
    LinkPortSettings port;
    int format = 1;
    int stallTimeoutMs = CUpgradeLink::kDefaultStallTimeoutMs;
    QString device; // as given, for the messages
};

// --port, --format and --timeout.
extern const QStringList kLinkValuedOptions;

// Common options of the commands that use the line; false with a usage error printed.
bool ParseLinkOptions(CliOptions &options, const QStringList &args, const char *usage, int positionals,
                      LinkCommandSettings &settings, int &status);

// The second line under a failure: what the command knows beyond the system's message.
void PrintDetail(const QString &detail);

// The console observer, with the device named while the connection test waits.
class LinkConsoleObserver : public ConsoleTransferObserver
{
public:
    LinkConsoleObserver(bool bar, const QString &device) : ConsoleTransferObserver(bar), m_device(device) {}

    void ShowControl(int controlId) override;
    static void PrintTesting(const QString &device);

private:
    QString m_device;
    bool m_testing = false;
};

struct DownloadOptions;

// Runs a download with the console's prompt and progress; prints the backup it made, and on
// failure the detail line. False when the download failed or was cancelled ("cancelled").
bool RunConsoleDownload(const QString &path, const DownloadOptions &download, const LinkCommandSettings &settings);
