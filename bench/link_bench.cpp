// Link throughput over stb-sim's emulated 115200 bit/s line, as a share of the line's limit, and
// the cost of a safe download (backup before, verify after) against the download alone.
//
// Run by hand from the build's bin directory (stb-sim and dravel-cli beside it):
//   ./link_bench
// The floor is 115200 / 11 bytes per second (8 data bits, parity, start and stop bit).
#include "core/ByteOrder.h"
#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/DatabaseWriter.h"
#include "database/ProfileStore.h"
#include "layout/LayoutCache.h"
#include "layout/LayoutSet.h"
#include "link/CUpgradeLink.h"
#include "link/DownloadJob.h"
#include "link/TransferObserver.h"
#include "link/ChunkHeader.h"
#include "link/LinkCrc.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <cstdio>
#include <random>
#include <unistd.h>

namespace {

constexpr double kLineBytesPerSecond = 115200.0 / 11.0;
constexpr uint32_t kPayload = 1u << 20;
constexpr uint32_t kUserAt = 0x20000;

QString BinDir()
{
    return QFileInfo(QFile::symLinkTarget("/proc/self/exe")).absolutePath();
}

// A 2 MiB flash: boot chunk, default database (64 KiB), then a user database chunk filling
// the rest with random bytes, so that dumps of it are not blank and transfers fit.
QByteArray BenchImage()
{
    QByteArray image(0x200000, char(0xFF));
    auto *f = reinterpret_cast<uint8_t *>(image.data());
    auto header = [f](uint32_t at, uint32_t id, uint32_t length, uint32_t size, bool crc) {
        ChunkInfo info;
        info.id = id;
        info.length = length;
        info.size = size;
        info.crc = kNoCrcMark;
        ChunkHeader::Build(info, f + at);
        if (crc)
            ByteOrder::WriteBe32(f + at + 12, LinkCrc(kCrcStart, f + at + 16, length));
    };
    header(0, 0xE3000100, 0x1000 - 16, 0x10000, false);
    header(0x10000, kDefaultDbChunkId, 0x1000 - 16, 0x10000, true);
    std::mt19937 rng(1);
    for (uint32_t i = kUserAt + 128; i < 0x200000; ++i)
        f[i] = uint8_t(rng());
    header(kUserAt, kUserDbChunkId, 0x200000 - kUserAt - 16, 0, false);
    return image;
}

// The bench image as the simulator's flash file in dir.
QString WriteBenchImage(const QTemporaryDir &dir)
{
    const QString path = dir.filePath("flash.abs");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(BenchImage());
    return path;
}

class Sim
{
public:
    bool Start(const QString &flash, const QStringList &extra = {})
    {
        m_process.start(BinDir() + "/stb-sim",
                        QStringList {"--proto", "0x30", "--flash", flash, "--line-rate", "115200"} + extra);
        if (!m_process.waitForStarted(5000))
            return false;
        QByteArray out;
        while (!out.contains('\n') && m_process.waitForReadyRead(5000))
            out += m_process.readAllStandardOutput();
        if (!out.startsWith("DEVICE "))
            return false;
        m_device = QString::fromUtf8(out.mid(7, out.indexOf('\n') - 7).trimmed());
        return true;
    }
    ~Sim()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    const QString &Device() const { return m_device; }

private:
    QProcess m_process;
    QString m_device;
};

// Opens the link, runs the connection test and the version query, and sets the SDRAM address.
bool Connect(CUpgradeLink &link, const Sim &sim, StbInfo &info)
{
    if (link.LinkOpenPort(sim.Device().toStdString(), 115200, 2, 1) != 0)
        return false;
    uint32_t version = 0;
    if (link.TestConnection(version, nullptr, nullptr) != 0)
        return false;
    link.SetProtocolVersion(uint8_t(version));
    if (link.GetStbInfo(version, info) != 0 || version < 0x30)
        return false;
    link.SetProtocolVersion(uint8_t(version));
    return true;
}

void Report(benchmark::State &state, const char *name, double seconds, uint64_t bytes)
{
    const double rate = double(bytes) / seconds;
    state.SetIterationTime(seconds);
    state.counters["payload_B_per_s"] = rate;
    state.counters["share_of_line"] = rate / kLineBytesPerSecond;
    std::fprintf(stderr, "%s: %llu bytes in %.2f s = %.0f B/s, %.1f%% of the line's %.0f B/s\n",
                 name, static_cast<unsigned long long>(bytes), seconds, rate,
                 100.0 * rate / kLineBytesPerSecond, kLineBytesPerSecond);
}

void PacketDownload1MiB(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString flash = WriteBenchImage(dir);
    for (auto _ : state) {
        Sim sim;
        CUpgradeLink link;
        StbInfo info;
        if (!sim.Start(flash) || !Connect(link, sim, info) || link.SetAddress(0) != 0
            || link.MoveChunk(info.chunks[0].id, info.chunks[0].size) != 0
            || link.MoveChunk(info.chunks[1].id, info.chunks[1].size) != 0) {
            state.SkipWithError("no simulated STB");
            return;
        }
        std::vector<uint8_t> data(kPayload);
        std::mt19937 rng(2);
        for (auto &b : data)
            b = uint8_t(rng());
        const auto start = std::chrono::steady_clock::now();
        const int status = link.TransferData(data.data(), kPayload, nullptr, nullptr);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (status != 0) {
            state.SkipWithError("transfer failed");
            return;
        }
        Report(state, __func__, seconds, kPayload);
        link.Reboot();
    }
}

void PacketUpload1MiB(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString flash = WriteBenchImage(dir);
    for (auto _ : state) {
        Sim sim;
        CUpgradeLink link;
        StbInfo info;
        if (!sim.Start(flash) || !Connect(link, sim, info)) {
            state.SkipWithError("no simulated STB");
            return;
        }
        std::vector<uint8_t> dest(0x800000);
        uint32_t length = uint32_t(dest.size());
        const auto start = std::chrono::steady_clock::now();
        const int status = link.DumpFlash(dest.data(), dest.size(), length, nullptr, nullptr, kUserAt + 128, kPayload);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (status != 0 || length != kPayload) {
            state.SkipWithError("dump failed");
            return;
        }
        Report(state, __func__, seconds, kPayload);
        link.Reboot();
    }
}

// A generated ".ddf" (65280 bytes, made by dravel-cli generate) into the default database
// chunk, compressed on the way: the effective rate counts the file's bytes.
void CompressedDdfDownload(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString flash = WriteBenchImage(dir);
    const QString ddf = dir.filePath("generated.ddf");
    QProcess generate;
    generate.start(BinDir() + "/dravel-cli", {"generate", ddf, "--satellites", "20", "--transponders", "300",
                                              "--programs", "1500", "--seed", "3"});
    generate.waitForFinished(60000);
    QFile file(ddf);
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("dravel-cli generate wrote no .ddf");
        return;
    }
    const QByteArray contents = file.readAll();
    for (auto _ : state) {
        Sim sim;
        CUpgradeLink link;
        StbInfo info;
        if (!sim.Start(flash) || !Connect(link, sim, info) || link.SetAddress(0) != 0
            || link.MoveChunk(info.chunks[0].id, info.chunks[0].size) != 0) {
            state.SkipWithError("no simulated STB");
            return;
        }
        // The chunk image a ".ddf" download builds: header, file, erased rest.
        std::vector<uint8_t> chunk(info.chunks[1].size, 0xFF);
        ChunkInfo header = info.chunks[1];
        header.length = uint32_t(contents.size() + 112);
        header.crc = kNoCrcMark;
        ChunkHeader::Build(header, chunk.data());
        std::copy(contents.begin(), contents.end(), chunk.begin() + 128);
        const auto start = std::chrono::steady_clock::now();
        const int status = link.TransferData(chunk.data(), uint32_t(chunk.size()), nullptr, nullptr);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (status != 0) {
            state.SkipWithError("transfer failed");
            return;
        }
        Report(state, __func__, seconds, uint64_t(contents.size()));
        link.Reboot();
    }
}

// When each step of a download began and ended, from the controls the job shows.
class StepClock : public TransferObserver
{
public:
    using Clock = std::chrono::steady_clock;
    std::map<int, Clock::time_point> at;

    void ShowControl(int id) override { at.emplace(id, Clock::now()); }
    void SetControlText(int, const QString &) override {}
    void SetProgress(int, int, int) override {}
    void SetCaption(const QString &) override {}
    void SetButtonEnabled(int, bool) override {}
    void RequestClose() override {}
    bool CancelRequested() override { return false; }

    double Between(int from, int to) const
    {
        const auto a = at.find(from), b = at.find(to);
        return a == at.end() || b == at.end() ? 0.0 : std::chrono::duration<double>(b->second - a->second).count();
    }
};

class NoProfile : public ProfileStore
{
public:
    QString ReadString(const QString &, const QString &) const override { return {}; }
    void WriteString(const QString &, const QString &, const QString &) override {}
};

// The largest generated database that fits a ".ddf", or a ".udf" of the simulator's user area
// (its user chunk 0x80000 bytes less the 0x20080 an upload skips). Empty when it cannot be made.
QString LargestDatabase(const QTemporaryDir &dir, bool udf)
{
    LayoutSet layouts;
    if (!LoadLayoutCache(BinDir() + "/script.ini", layouts))
        return QString();
    SilentPrompt prompt(UserPrompt::Yes);
    CChannelDb db(layouts, prompt);
    DatabaseGenerator generator(layouts);
    GeneratorOptions options;
    options.satellites = 40;
    options.transponders = 1200;
    const qint64 area = 0x80000 - 0x20080;
    options.programs = generator.LargestProgramCount(options, udf ? DatabaseGenerator::FitTarget::UserPayload
                                                                  : DatabaseGenerator::FitTarget::DefaultFile);
    NoProfile profile;
    const QString path = dir.filePath(udf ? "largest.usd" : "largest.ddf");
    for (; options.programs > 0; options.programs -= options.programs / 20 + 1) {
        if (!generator.Generate(db, options))
            return QString();
        const SaveResult saved = udf ? SaveNewUserDatabase(db, path, profile) : SaveDefaultDatabase(db, path, profile);
        if (saved != SaveResult::Written)
            return QString();
        if (!udf || QFileInfo(path).size() <= area)
            break;
    }
    if (!udf)
        return path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray image = file.readAll();
    image += QByteArray(int(area - image.size()), char(0xFF));
    const QString udfPath = dir.filePath("largest.udf");
    QFile out(udfPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(image) != image.size())
        return QString();
    std::fprintf(stderr, "largest .udf: %d programs, container %lld of %lld bytes\n", options.programs,
                 static_cast<long long>(QFileInfo(path).size()), static_cast<long long>(area));
    return udfPath;
}

// One download of path into a fresh simulated receiver; false when it failed.
bool TimedDownload(const QString &path, bool safe, StepClock &clock, double &seconds)
{
    QTemporaryDir flashDir;
    Sim sim;
    if (!sim.Start(flashDir.filePath("flash.abs"), {"--create"}))
        return false;
    CUpgradeLink link;
    SilentPrompt prompt;
    DownloadJob job(link, prompt, clock);
    DownloadOptions options;
    options.port.devicePath = sim.Device();
    options.loadDefaultDb = true;
    options.backup = safe;
    options.verify = safe;
    options.backupFolder = flashDir.filePath("backups");
    const auto start = std::chrono::steady_clock::now();
    const bool ok = job.Run(path, options);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok;
}

void SafeDownload(benchmark::State &state, bool udf)
{
    using namespace TransferControl;
    QTemporaryDir dir;
    const QString path = LargestDatabase(dir, udf);
    if (path.isEmpty()) {
        state.SkipWithError("no database generated (script.ini beside the bench?)");
        return;
    }
    const char *name = udf ? "largest .udf" : "largest .ddf";
    for (auto _ : state) {
        StepClock plain, safe;
        double plainSeconds = 0, safeSeconds = 0;
        if (!TimedDownload(path, false, plain, plainSeconds) || !TimedDownload(path, true, safe, safeSeconds)) {
            state.SkipWithError("download failed");
            return;
        }
        const double backup = safe.Between(kDownloadBackupStep, kDownloadBackupDone);
        const double load = safe.Between(kDownloadLoadStep, kDownloadLoadDone);
        const double burn = safe.Between(kDownloadBurnStep, kDownloadBurnDone);
        const double verify = safe.Between(kDownloadVerifyStep, kDownloadVerifyDone);
        state.SetIterationTime(safeSeconds);
        state.counters["ratio_to_plain"] = safeSeconds / plainSeconds;
        std::fprintf(stderr,
                     "%s (%lld bytes): download alone %.2f s; with backup and verify %.2f s = %.2fx (target <= 3x)\n"
                     "  backup %.2f s (%.0f%%), load %.2f s (%.0f%%), burn %.2f s (%.0f%%), verify %.2f s (%.0f%%), "
                     "rest %.2f s\n",
                     name, static_cast<long long>(QFileInfo(path).size()), plainSeconds, safeSeconds,
                     safeSeconds / plainSeconds, backup, 100 * backup / safeSeconds, load, 100 * load / safeSeconds, burn,
                     100 * burn / safeSeconds, verify, 100 * verify / safeSeconds,
                     safeSeconds - backup - load - burn - verify);
    }
}

void SafeDdfDownload(benchmark::State &state)
{
    SafeDownload(state, false);
}

void SafeUdfDownload(benchmark::State &state)
{
    SafeDownload(state, true);
}

} // namespace

BENCHMARK(PacketDownload1MiB)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(PacketUpload1MiB)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(CompressedDdfDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(SafeDdfDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(SafeUdfDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
