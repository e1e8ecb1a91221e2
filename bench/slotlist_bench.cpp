// Slot lists of the navigator on a 30000-program database: each must take well under 10 ms.
#include "BenchReporter.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/SlotLists.h"
#include "layout/LayoutSet.h"
#include "layout/TemplateNumber.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr double kTargetMs = 10.0;

struct Setup
{
    QTemporaryDir dir;
    LayoutSet layouts;
    SilentPrompt prompt{UserPrompt::Yes};
    std::unique_ptr<CChannelDb> db;
    int32_t satId = 0;   // the satellite with the most programs
    int32_t tpId = 0;    // its transponder with the most programs
    size_t satelliteSize = 0;
    size_t transponderSize = 0;
};

Setup *g_setup = nullptr;

bool Prepare(Setup &s)
{
    if (!s.dir.isValid())
        return false;
    QDir::setCurrent(s.dir.path());  // the parser leaves "parse.input" in the working directory
    if (!s.layouts.ParseTemplate(QStringLiteral(DRAVEL_SOURCE_DIR "/resources/templates/dravel-stb.h"), s.prompt))
        return false;
    GeneratorOptions options;
    options.satellites = 20;
    options.transponders = 600;
    options.programs = CChannelDb::kMaxPrograms;
    options.seed = 11;
    s.db = std::make_unique<CChannelDb>(s.layouts, s.prompt);
    if (!DatabaseGenerator(s.layouts).Generate(*s.db, options) || s.db->LiveCount(KindProgram) != options.programs)
        return false;

    // The largest satellite and, under it, the largest transponder: the worst lists to compute.
    std::map<int32_t, size_t> perSatellite;
    std::map<std::pair<int32_t, int32_t>, size_t> perTransponder;
    for (int slot = 0; slot < s.db->Count(KindProgram); ++slot) {
        int32_t sat = 0, tp = 0;
        if (s.db->GetNodeInt(KindProgram, slot, s.db->SatIdOfProgram(), sat, 0, PositionOrder)
            && s.db->GetNodeInt(KindProgram, slot, s.db->TpIdOfProgram(), tp, 0, PositionOrder)) {
            ++perSatellite[sat];
            ++perTransponder[{sat, tp}];
        }
    }
    for (const auto &[sat, count] : perSatellite) {
        if (count > s.satelliteSize) {
            s.satelliteSize = count;
            s.satId = sat;
        }
    }
    for (const auto &[key, count] : perTransponder) {
        if (key.first == s.satId && count > s.transponderSize) {
            s.transponderSize = count;
            s.tpId = key.second;
        }
    }
    return s.satelliteSize > 0;
}

void AllServices(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(RebuildSlotList(*g_setup->db, NavAllServices, 0, 0, 0).slots.data());
}

void Satellite(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(RebuildSlotList(*g_setup->db, NavSatellite, g_setup->satId, 0, 0).slots.data());
    state.counters["programs"] = double(g_setup->satelliteSize);
}

void Transponder(benchmark::State &state)
{
    for (auto _ : state) {
        const SlotListUpdate update = RebuildSlotList(*g_setup->db, NavTransponder, g_setup->satId, g_setup->tpId, 0);
        benchmark::DoNotOptimize(update.slots.data());
    }
    state.counters["programs"] = double(g_setup->transponderSize);
}

void FavouriteRoot(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(RebuildSlotList(*g_setup->db, NavFavouriteRoot, 0, 0, 0).slots.data());
}

void FavouriteGroup(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(RebuildSlotList(*g_setup->db, NavFavouriteGroup, 0, 0, 5).slots.data());
}

// The same satellite list through text reads, for comparison.
void SatelliteByText(benchmark::State &state)
{
    const CChannelDb &db = *g_setup->db;
    std::string text;
    for (auto _ : state) {
        SlotList slots;
        for (int slot = 0; slot < db.Count(KindProgram); ++slot) {
            if (db.GetNodeData(KindProgram, slot, db.SatIdOfProgram(), text, 0, PositionOrder)
                && ParseTemplateNumber(text) == g_setup->satId)
                slots.push_back(slot);
        }
        benchmark::DoNotOptimize(slots.data());
    }
}

// How much longer the text reads take than the integer reads of the same list.
void PrintTextReadRatio(const BenchReporter &reporter, const char *what, const std::string &work,
                        const std::string &reference)
{
    double w = 0, r = 0;
    if (!reporter.TimeOf(work, w) || !reporter.TimeOf(reference, r) || w <= 0)
        return;
    std::printf("%-16s text reads take %.2fx the integer reads\n", what, r / w);
}

} // namespace

BENCHMARK(AllServices)->Unit(benchmark::kMillisecond);
BENCHMARK(Satellite)->Unit(benchmark::kMillisecond);
BENCHMARK(Transponder)->Unit(benchmark::kMillisecond);
BENCHMARK(FavouriteRoot)->Unit(benchmark::kMillisecond);
BENCHMARK(FavouriteGroup)->Unit(benchmark::kMillisecond);
BENCHMARK(SatelliteByText)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Setup setup;
    if (!Prepare(setup)) {
        std::fprintf(stderr, "slotlist_bench: cannot prepare the database\n");
        return 1;
    }
    g_setup = &setup;
    std::printf("30000 programs; satellite %d holds %zu, its transponder %d holds %zu\n", setup.satId,
                setup.satelliteSize, setup.tpId, setup.transponderSize);
    BenchReporter reporter(16);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintTarget("all services", "AllServices", kTargetMs);
    reporter.PrintTarget("satellite", "Satellite", kTargetMs);
    reporter.PrintTarget("transponder", "Transponder", kTargetMs);
    reporter.PrintTarget("favourite root", "FavouriteRoot", kTargetMs);
    reporter.PrintTarget("favourite group", "FavouriteGroup", kTargetMs);
    PrintTextReadRatio(reporter, "satellite", "Satellite", "SatelliteByText");
    benchmark::Shutdown();
    return 0;
}
