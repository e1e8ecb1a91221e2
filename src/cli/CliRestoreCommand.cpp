// dravel-cli restore (download a backup back into the receiver) and backups (list a backups folder).
#include "cli/CliCommands.h"
#include "cli/CliLinkSupport.h"
#include "cli/CliSupport.h"
#include "core/SafetySettings.h"
#include "link/BackupCatalog.h"
#include "link/DownloadJob.h"
#include "link/FlashBackup.h"

#include <algorithm>
#include <cstdio>

namespace {

const char kRestoreUsage[] =
    "usage: dravel-cli restore BACKUP.abs --port DEV [--format 1|2] [--timeout S] [--no-verify]\n"
    "\n"
    "Downloads a backup made by a download (or any .abs flash image) back into the receiver:\n"
    "every database chunk the file holds is loaded, burnt and, unless --no-verify, read back\n"
    "and compared. No new backup is made: the flash being replaced is the one the backup undoes.\n"
    "\n"
    "  --port DEV     the serial device (a path, or a port number: n is /dev/ttyS<n-1>)\n"
    "  --format 1|2   transfer format for receivers that name no version (default 1)\n"
    "  --timeout S    give up when the receiver makes no progress for S seconds (default 30)\n"
    "  --no-verify    do not read the flash back after the burn\n";

const char kBackupsUsage[] =
    "usage: dravel-cli backups [DIR]\n"
    "\n"
    "Lists the backups in DIR (default: the settings' folder, else ~/.local/share/dravel/backups),\n"
    "newest first: time, the receiver's chunk table key, size, database chunks, and whether the\n"
    "file walks with good CRCs.\n";

QString ChunkNames(const std::vector<uint32_t> &ids)
{
    QStringList names;
    for (uint32_t id : ids)
        names << (id == kDefaultDbChunkId ? QStringLiteral("default") : QStringLiteral("user"));
    return names.isEmpty() ? QStringLiteral("-") : names.join('+');
}

} // namespace

int RunRestoreCommand(const QStringList &args)
{
    CliOptions options(kLinkValuedOptions, {QStringLiteral("--no-verify")});
    LinkCommandSettings settings;
    int status = ExitOk;
    if (!ParseLinkOptions(options, args, kRestoreUsage, 1, settings, status))
        return status;
    const QString path = options.Positionals().first();
    if (path.right(4) != QLatin1String(".abs"))
        return Failure(QStringLiteral("Invalid File Selected!"));
    const BackupEntry entry = BackupCatalog::Inspect(path);
    if (!entry.valid) {
        const int failed = Failure(QStringLiteral("Get File blocks error"));
        PrintDetail(path + QStringLiteral(": ") + entry.problem);
        return failed;
    }
    DownloadOptions download;
    download.port = settings.port;
    download.transferFormat = settings.format;
    download.loadDefaultDb = std::find(entry.chunkIds.begin(), entry.chunkIds.end(), kDefaultDbChunkId)
                             != entry.chunkIds.end();
    download.loadUserDb = std::find(entry.chunkIds.begin(), entry.chunkIds.end(), kUserDbChunkId)
                          != entry.chunkIds.end();
    download.backup = false;
    download.verify = !options.Has("--no-verify");
    if (!RunConsoleDownload(path, download, settings))
        return ExitFailed;
    std::printf("restored %s (%s database)\n", path.toUtf8().constData(), ChunkNames(entry.chunkIds).toUtf8().constData());
    return ExitOk;
}

int RunBackupsCommand(const QStringList &args)
{
    CliOptions options({}, {});
    if (!options.Parse(args))
        return UsageError(kBackupsUsage, options.Error());
    if (options.Help())
        return PrintHelp(kBackupsUsage);
    if (options.Positionals().size() > 1)
        return UsageError(kBackupsUsage, QStringLiteral("at most one folder"));
    QString folder = options.Positionals().value(0);
    if (folder.isEmpty())
        folder = SafetySettings::Load().backupFolder;
    if (folder.isEmpty())
        folder = FlashBackup::DefaultFolder();
    const std::vector<BackupEntry> entries = BackupCatalog::List(folder);
    std::printf("%s: %zu backups\n", folder.toUtf8().constData(), entries.size());
    for (const BackupEntry &e : entries) {
        std::printf("%s  %s  %9lld  %-12s %s  %s\n", e.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8().constData(),
                    e.tableKey.isEmpty() ? "--------" : e.tableKey.toUtf8().constData(), static_cast<long long>(e.size),
                    ChunkNames(e.chunkIds).toUtf8().constData(), e.valid ? "ok" : e.problem.toUtf8().constData(),
                    e.fileName.toUtf8().constData());
    }
    return ExitOk;
}
