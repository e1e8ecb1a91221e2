// Loading and saving the largest database a ".usd" can hold, against zlib alone on the same data.
#include "BenchReporter.h"
#include "EmptyProfile.h"

#include "core/ByteOrder.h"
#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseFormat.h"
#include "database/DatabaseGenerator.h"
#include "database/DatabaseReader.h"
#include "database/DatabaseWriter.h"
#include "layout/LayoutSet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Everything the benchmarks share, made once before the first one runs.
struct Setup
{
    QTemporaryDir dir;
    LayoutSet layouts;
    SilentPrompt prompt{UserPrompt::Yes};
    EmptyProfile profile;
    std::unique_ptr<CChannelDb> userDb;      // the largest ".usd" database
    std::unique_ptr<CChannelDb> defaultDb;   // the largest ".ddf" database
    QString userPath;                        // the largest ".usd" as written
    QString saveUserPath;                    // the target SaveUserDatabase rewrites
    QString saveDefaultPath;
    QByteArray userFile;
    QByteArray userPayload;
    QByteArray defaultPayload;
    GeneratorOptions userOptions;
    GeneratorOptions defaultOptions;
};

Setup *g_setup = nullptr;

bool Prepare(Setup &s)
{
    if (!s.dir.isValid())
        return false;
    QDir::setCurrent(s.dir.path());  // the parser leaves "parse.input" in the working directory
    if (!s.layouts.ParseTemplate(QStringLiteral(DRAVEL_SOURCE_DIR "/resources/templates/dravel-stb.h"), s.prompt))
        return false;
    const DatabaseGenerator generator(s.layouts);

    // A broad satellite line-up; the program count grows until the payload limit is reached.
    s.userOptions.satellites = 60;
    s.userOptions.transponders = 1200;
    s.userOptions.seed = 42;
    s.userOptions.programs = generator.LargestProgramCount(s.userOptions, DatabaseGenerator::FitTarget::UserPayload);
    s.userDb = std::make_unique<CChannelDb>(s.layouts, s.prompt);
    if (!generator.Generate(*s.userDb, s.userOptions))
        return false;
    s.userPath = s.dir.filePath(QStringLiteral("largest.usd"));
    s.saveUserPath = s.dir.filePath(QStringLiteral("save.usd"));
    if (!DatabaseGenerator::WriteFile(*s.userDb, s.userPath, s.profile) || !QFile::copy(s.userPath, s.saveUserPath))
        return false;
    QFile file(s.userPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    s.userFile = file.readAll();
    Payload payload;
    if (!BuildPayload(*s.userDb, payload))
        return false;
    s.userPayload = payload.bytes;

    s.defaultOptions.satellites = 12;
    s.defaultOptions.transponders = 200;
    s.defaultOptions.seed = 42;
    s.defaultOptions.programs =
        generator.LargestProgramCount(s.defaultOptions, DatabaseGenerator::FitTarget::DefaultFile);
    s.defaultDb = std::make_unique<CChannelDb>(s.layouts, s.prompt);
    if (!generator.Generate(*s.defaultDb, s.defaultOptions) || !BuildPayload(*s.defaultDb, payload))
        return false;
    s.defaultPayload = payload.bytes;
    s.saveDefaultPath = s.dir.filePath(QStringLiteral("save.ddf"));

    std::printf("user database:    %d satellites, %d transponders, %d programs; payload %lld of %d bytes, "
                "file %lld bytes\n",
                s.userOptions.satellites, s.userOptions.transponders, s.userOptions.programs,
                static_cast<long long>(s.userPayload.size()), DatabaseFormat::kMaxPayload,
                static_cast<long long>(s.userFile.size()));
    std::printf("default database: %d satellites, %d transponders, %d programs; payload %lld bytes\n",
                s.defaultOptions.satellites, s.defaultOptions.transponders, s.defaultOptions.programs,
                static_cast<long long>(s.defaultPayload.size()));
    return true;
}

void Load(benchmark::State &state)
{
    CChannelDb db(g_setup->layouts, g_setup->prompt);
    for (auto _ : state) {
        if (!LoadDatabase(db, g_setup->userPath, false, g_setup->profile))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(db.Count(KindProgram));
    }
}

// The floor of a load: inflating the file's own stream, nothing else.
void LoadFloor(benchmark::State &state)
{
    const uint8_t *p = reinterpret_cast<const uint8_t *>(g_setup->userFile.constData());
    const uLong streamLength = ByteOrder::ReadBe24(p + 1);
    std::vector<uint8_t> out(static_cast<size_t>(DatabaseFormat::kMaxPayload));
    for (auto _ : state) {
        uLongf length = uLongf(out.size());
        if (uncompress(out.data(), &length, p + DatabaseFormat::kSubChunkHeaderSize, streamLength) != Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(out.data());
    }
}

void SaveUser(benchmark::State &state)
{
    for (auto _ : state) {
        if (SaveUserDatabase(*g_setup->userDb, g_setup->saveUserPath) != SaveResult::Written)
            state.SkipWithError("save failed");
    }
}

// The floor of a save: compressing the payload at level 9, nothing else.
void CompressFloor(benchmark::State &state, const QByteArray &payload, int bufferSize)
{
    std::vector<uint8_t> out(static_cast<size_t>(bufferSize));
    for (auto _ : state) {
        uLongf length = uLongf(out.size());
        if (compress2(out.data(), &length, reinterpret_cast<const Bytef *>(payload.constData()), uLong(payload.size()),
                      9)
            != Z_OK)
            state.SkipWithError("compress2 failed");
        benchmark::DoNotOptimize(out.data());
    }
}

void SaveUserFloor(benchmark::State &state)
{
    CompressFloor(state, g_setup->userPayload, DatabaseFormat::kMaxPayload);
}

void SaveDefault(benchmark::State &state)
{
    for (auto _ : state) {
        if (SaveDefaultDatabase(*g_setup->defaultDb, g_setup->saveDefaultPath, g_setup->profile) != SaveResult::Written)
            state.SkipWithError("save failed");
    }
}

void SaveDefaultFloor(benchmark::State &state)
{
    CompressFloor(state, g_setup->defaultPayload, DatabaseFormat::kDefaultCompressBuffer);
}

// The parts of a load and a save on their own, to see where the time goes.
void LoadFromMemory(benchmark::State &state)
{
    CChannelDb db(g_setup->layouts, g_setup->prompt);
    for (auto _ : state) {
        if (!LoadDatabaseBytes(db, g_setup->userFile, false, g_setup->profile))
            state.SkipWithError("load failed");
    }
}

void BuildUserPayload(benchmark::State &state)
{
    for (auto _ : state) {
        Payload payload;
        BuildPayload(*g_setup->userDb, payload);
        benchmark::DoNotOptimize(payload.bytes.data());
    }
}

} // namespace

BENCHMARK(Load)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveUser)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveUserFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveDefaultFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadFromMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildUserPayload)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Setup setup;
    if (!Prepare(setup)) {
        std::fprintf(stderr, "db_bench: cannot prepare the databases\n");
        return 1;
    }
    g_setup = &setup;
    BenchReporter reporter(13);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintRatio("load", "Load", "LoadFloor", 1.2);
    reporter.PrintRatio("save .usd", "SaveUser", "SaveUserFloor", 1.3);
    reporter.PrintRatio("save .ddf", "SaveDefault", "SaveDefaultFloor", 1.3);
    benchmark::Shutdown();
    return 0;
}
