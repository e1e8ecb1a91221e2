// Link throughput over stb-sim's emulated 115200 bit/s line, as a share of the line's limit.
//
// Run by hand from the build's bin directory (stb-sim and dravel-cli beside it):
//   ./link_bench
// The floor is 115200 / 11 bytes per second (8 data bits, parity, start and stop bit).
#include "core/ByteOrder.h"
#include "link/CUpgradeLink.h"
#include "link/ChunkHeader.h"
#include "link/LinkCrc.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
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
    bool Start(const QString &flash)
    {
        m_process.start(BinDir() + "/stb-sim", {"--proto", "0x30", "--flash", flash, "--line-rate", "115200"});
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

} // namespace

BENCHMARK(PacketDownload1MiB)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(PacketUpload1MiB)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(CompressedDdfDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
