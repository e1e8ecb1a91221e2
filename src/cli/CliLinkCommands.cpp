// dravel-cli link commands: abs (walk a flash image), probe, download and upload.
#include "cli/CliCommands.h"
#include "cli/CliLinkSupport.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "cli/ConsoleTransferObserver.h"
#include "core/CoreMessages.h"
#include "core/SafetySettings.h"
#include "link/DownloadFileKind.h"
#include "link/AbsImage.h"
#include "link/CUpgradeLink.h"
#include "link/DownloadJob.h"
#include "link/LinkFailureDetail.h"
#include "link/LocalFileCheck.h"
#include "link/TransferObserver.h"
#include "link/UploadJob.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

const char kAbsUsage[] =
    "usage: dravel-cli abs FILE.abs\n"
    "\n"
    "Walks the chunk chain of a flash image, checks every chunk's CRC and lists the chunks.\n";

const char kProbeUsage[] =
    "usage: dravel-cli probe --port DEV [--format 1|2] [--timeout S]\n"
    "\n"
    "Runs the connection test, reads the protocol version and the flash chunk table of the\n"
    "receiver and prints them. The receiver is left in its upgrade mode.\n"
    "\n"
    "  --port DEV     the serial device (a path, or a port number: n is /dev/ttyS<n-1>)\n"
    "  --format 1|2   transfer format for receivers that name no version (default 1)\n"
    "  --timeout S    give up when the receiver makes no progress for S seconds (default 30)\n";

const char kDownloadUsage[] =
    "usage: dravel-cli download FILE(.ddf|.udf|.abs) --port DEV [--format 1|2] [--timeout S] [--default-db]\n"
    "                         [--user-db] [--backup DIR | --no-backup] [--verify | --no-verify]\n"
    "\n"
    "Writes a default database (.ddf), a user database image (.udf) or the database chunks of a\n"
    "flash image (.abs) into the receiver, burns its flash and restarts it. Ctrl+C cancels.\n"
    "Before anything is loaded, the chunks it replaces are dumped into an .abs backup; after\n"
    "the burn the flash is read back and compared with what was sent. A .udf no larger than\n"
    "the receiver's user area (what an upload gives) goes back behind the receiver's first\n"
    "0x20000 bytes of user data, which stay as they are; a larger one is a whole-chunk image.\n"
    "\n"
    "  --port DEV     the serial device (a path, or a port number: n is /dev/ttyS<n-1>)\n"
    "  --format 1|2   transfer format for receivers that name no version (default 1)\n"
    "  --timeout S    give up when the receiver makes no progress for S seconds (default 30)\n"
    "  --default-db   (.abs) load the default database chunk\n"
    "  --user-db      (.abs) load the user database chunk\n"
    "                 without either flag an .abs loads the default database only\n"
    "  --backup DIR   write the backup into DIR (default: the settings' folder, else\n"
    "                 ~/.local/share/dravel/backups)\n"
    "  --no-backup    no backup (default: as the settings say, on)\n"
    "  --verify       read the burnt chunks back and compare them (default: as the settings\n"
    "  --no-verify    say, on); --no-verify skips it\n";

const char kUploadUsage[] =
    "usage: dravel-cli upload OUT(.udf|.ddf|.abs) --port DEV [--format 1|2] [--timeout S]\n"
    "\n"
    "Reads the user database (.udf), the default database (.ddf) or the whole flash (.abs) out\n"
    "of the receiver into OUT and restarts it. A name of four characters or fewer gets \".abs\".\n"
    "OUT's folder must be writable before the receiver is touched; when OUT cannot be written\n"
    "after the dump, the data is saved beside it as NAME.recovered.EXT (or in the temporary\n"
    "folder). Ctrl+C, SIGTERM and SIGHUP cancel.\n"
    "\n"
    "  --port DEV     the serial device (a path, or a port number: n is /dev/ttyS<n-1>)\n"
    "  --format 1|2   transfer format for receivers that name no version (default 1)\n"
    "  --timeout S    give up when the receiver makes no progress for S seconds (default 30)\n";

QString Text16(const std::array<uint8_t, kChunkTextSize> &text)
{
    QByteArray bytes(reinterpret_cast<const char *>(text.data()), int(text.size()));
    const int end = bytes.indexOf('\0');
    return QString::fromLatin1(end >= 0 ? bytes.left(end) : bytes);
}

// One line per chunk; the offset column is the file offset (.abs) or the flash address.
void PrintChunkTable(const std::vector<ChunkInfo> &chunks, const std::vector<uint64_t> &offsets)
{
    std::printf("%-3s %-10s %-10s %-4s %-10s %-10s %-10s %s\n", "#", "offset", "id", "type", "length", "size", "crc",
                "text");
    for (size_t i = 0; i < chunks.size(); ++i) {
        const ChunkInfo &c = chunks[i];
        const QString crc = c.crc == kNoCrcMark ? QStringLiteral("NCRC") : QString::asprintf("0x%08X", c.crc);
        std::printf("%-3zu 0x%08llX 0x%08X %-4d 0x%08X 0x%08X %-10s %s\n", i,
                    static_cast<unsigned long long>(i < offsets.size() ? offsets[i] : 0), c.id, ChunkTypeOf(c.id),
                    c.length, c.size, crc.toUtf8().constData(), Text16(c.text1).toUtf8().constData());
    }
}

// Flash addresses: each chunk starts where the sizes before it end.
std::vector<uint64_t> FlashAddresses(const std::vector<ChunkInfo> &chunks)
{
    std::vector<uint64_t> addresses;
    uint64_t address = 0;
    for (const ChunkInfo &c : chunks) {
        addresses.push_back(address);
        address += c.size;
    }
    return addresses;
}

} // namespace

int RunAbsCommand(const QStringList &args)
{
    CliOptions options({}, {});
    if (!options.Parse(args))
        return UsageError(kAbsUsage, options.Error());
    if (options.Help())
        return PrintHelp(kAbsUsage);
    if (options.Positionals().size() != 1)
        return UsageError(kAbsUsage, QStringLiteral("abs needs exactly one flash image"));
    const QString path = options.Positionals().first();
    const QString problem = ReadableFileProblem(path);
    if (!problem.isEmpty()) {
        const int status = Failure(QStringLiteral("Get File blocks error"));
        PrintDetail(path + QStringLiteral(": ") + problem);
        return status;
    }
    AbsWalk walk;
    if (WalkAbsChunks(path, walk) == 0) {
        const int status = Failure(QStringLiteral("Get File blocks error"));
        PrintDetail(AbsWalkFailureText(walk));
        return status;
    }
    // The walk reads only the numbers; the texts come from the full headers.
    QFile file(path);
    std::vector<ChunkInfo> chunks;
    std::vector<uint64_t> offsets;
    if (file.open(QIODevice::ReadOnly)) {
        for (const AbsChunk &chunk : walk.chunks) {
            uint8_t header[kChunkHeaderSize];
            if (file.seek(qint64(chunk.offset))
                && file.read(reinterpret_cast<char *>(header), sizeof header) == qint64(sizeof header))
                chunks.push_back(ChunkHeader::Parse(header));
            else
                chunks.push_back(chunk.info);
            offsets.push_back(chunk.offset);
        }
    }
    std::printf("file: %s (%llu bytes), %u chunks, every CRC matches\n", path.toUtf8().constData(),
                static_cast<unsigned long long>(walk.fileSize), walk.chunkCount);
    PrintChunkTable(chunks, offsets);
    if (walk.hasDefaultDb)
        std::printf("default database: offset 0x%08llX, 0x%08X bytes\n",
                    static_cast<unsigned long long>(walk.defaultDbOffset), walk.defaultDbSize);
    if (walk.hasUserDb)
        std::printf("user database:    offset 0x%08llX, 0x%08llX bytes\n",
                    static_cast<unsigned long long>(walk.userDbOffset), static_cast<unsigned long long>(walk.userDbSize));
    return ExitOk;
}

int RunProbeCommand(const QStringList &args)
{
    CliOptions options(kLinkValuedOptions, {});
    LinkCommandSettings settings;
    int status = ExitOk;
    if (!ParseLinkOptions(options, args, kProbeUsage, 0, settings, status))
        return status;
    const int format = settings.format;

    ConsoleTransferObserver::InstallInterruptHandler();
    CUpgradeLink link;
    link.SetStallTimeoutMs(settings.stallTimeoutMs);
    if (OpenLinkPort(link, settings.port) != kLinkOk)
        return Failure(QStringLiteral("can not open port"));
    LinkConsoleObserver::PrintTesting(settings.device);
    uint32_t version = 0;
    const int testStatus = link.TestConnection(version, nullptr, [] { return ConsoleTransferObserver::Interrupted(); });
    if (testStatus != kLinkOk) {
        if (ConsoleTransferObserver::Interrupted())
            return Failure(QStringLiteral("cancelled"));
        const int failed = Failure(QStringLiteral("Fail to test port."));
        PrintDetail(LinkFailureDetail(link, testStatus));
        return failed;
    }
    std::printf("connection test: protocol %d.%d\n", int(version >> 4), int(version & 15));
    link.SetProtocolVersion(uint8_t(version));
    StbInfo info;
    const int infoStatus = link.GetStbInfo(version, info);
    if (infoStatus != kLinkOk) {
        if (info.reportedChunks > kMaxStbChunks)
            return Failure(CoreMessages::TooManyChunks(info.reportedChunks));
        const int failed = Failure(QStringLiteral("Fail to get version."));
        PrintDetail(LinkFailureDetail(link, infoStatus));
        return failed;
    }
    const uint8_t effective = EffectiveVersion(version, format);
    std::printf("transfer protocol version: %d.%d%s\n", effective >> 4, effective & 15,
                version == 0 ? " (the STB names none; from --format)" : "");
    std::printf("flash size: 0x%08X, %u chunks\n", info.flashSize, info.chunkCount);
    PrintChunkTable(info.chunks, FlashAddresses(info.chunks));
    link.LinkClosePort();
    return ExitOk;
}

int RunDownloadCommand(const QStringList &args)
{
    CliOptions options(kLinkValuedOptions + QStringList {QStringLiteral("--backup")},
                       {QStringLiteral("--default-db"), QStringLiteral("--user-db"), QStringLiteral("--no-backup"),
                        QStringLiteral("--verify"), QStringLiteral("--no-verify")});
    DownloadOptions download;
    LinkCommandSettings settings;
    int status = ExitOk;
    if (!ParseLinkOptions(options, args, kDownloadUsage, 1, settings, status))
        return status;
    if (options.Has("--backup") && options.Has("--no-backup"))
        return UsageError(kDownloadUsage, QStringLiteral("--backup and --no-backup exclude each other"));
    if (options.Has("--verify") && options.Has("--no-verify"))
        return UsageError(kDownloadUsage, QStringLiteral("--verify and --no-verify exclude each other"));
    if (options.Has("--backup") && options.Value("--backup").isEmpty())
        return UsageError(kDownloadUsage, QStringLiteral("--backup needs a folder"));
    download.port = settings.port;
    download.transferFormat = settings.format;
    if (options.Has("--default-db") || options.Has("--user-db")) {
        download.loadDefaultDb = options.Has("--default-db");
        download.loadUserDb = options.Has("--user-db");
    }
    const SafetySettings safety = SafetySettings::Load();
    download.backup = options.Has("--backup") || (!options.Has("--no-backup") && safety.backup);
    download.backupFolder = options.Has("--backup") ? options.Value("--backup") : safety.backupFolder;
    download.verify = options.Has("--verify") || (!options.Has("--no-verify") && safety.verify);
    const QString path = options.Positionals().first();
    if (!IsDownloadable(path))
        return Failure(QStringLiteral("Invalid File Selected!"));
    if (!RunConsoleDownload(path, download, settings))
        return ExitFailed;
    std::printf("downloaded %s\n", path.toUtf8().constData());
    return ExitOk;
}

int RunUploadCommand(const QStringList &args)
{
    CliOptions options(kLinkValuedOptions, {});
    UploadOptions upload;
    LinkCommandSettings settings;
    int status = ExitOk;
    if (!ParseLinkOptions(options, args, kUploadUsage, 1, settings, status))
        return status;
    upload.port = settings.port;
    upload.transferFormat = settings.format;
    const QString path = options.Positionals().first();
    upload.targetPath = path; // checked before the receiver is touched

    ConsoleTransferObserver::InstallInterruptHandler();
    ConsolePrompt prompt;
    LinkConsoleObserver observer(StandardErrorIsTerminal(), settings.device);
    CUpgradeLink link;
    link.SetStallTimeoutMs(settings.stallTimeoutMs);
    UploadJob job(link, prompt, observer);
    job.SetStartDelayMs(0); // no dialog to wait for
    if (!job.Run(upload, [&path](const QString &) { return std::optional<QString>(path); })) {
        if (ConsoleTransferObserver::Interrupted())
            return Failure(QStringLiteral("cancelled"));
        PrintDetail(!job.FailureDetail().isEmpty() ? job.FailureDetail()
                                                   : LinkFailureDetail(link, job.FailureStatus()));
        return ExitFailed;
    }
    std::printf("saved %s (%lld bytes)\n", job.SavedPath().toUtf8().constData(),
                static_cast<long long>(QFileInfo(job.SavedPath()).size()));
    return ExitOk;
}
