// Slot lists of the navigator on a 30000-program database: each must take well under 10 ms.
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

// Keeps the real time of every benchmark so that the summary can be printed after the run.
class TimeReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean")
                m_times[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintTarget(const char *what, const std::string &name) const
    {
        const auto t = m_times.find(name);
        if (t == m_times.end())
            return;
        std::printf("%-16s %8.3f ms (target < %.0f ms) %s\n", what, t->second, kTargetMs,
                    t->second < kTargetMs ? "met" : "MISSED");
    }
    void PrintRatio(const char *what, const std::string &work, const std::string &reference) const
    {
        const auto w = m_times.find(work);
        const auto r = m_times.find(reference);
        if (w == m_times.end() || r == m_times.end() || w->second <= 0)
            return;
        std::printf("%-16s text reads take %.2fx the integer reads\n", what, r->second / w->second);
    }

private:
    std::map<std::string, double> m_times;
};

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
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintTarget("all services", "AllServices");
    reporter.PrintTarget("satellite", "Satellite");
    reporter.PrintTarget("transponder", "Transponder");
    reporter.PrintTarget("favourite root", "FavouriteRoot");
    reporter.PrintTarget("favourite group", "FavouriteGroup");
    reporter.PrintRatio("satellite", "Satellite", "SatelliteByText");
    benchmark::Shutdown();
    return 0;
}
