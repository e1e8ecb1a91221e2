// The list tools on 30000 programs: duplicates, reference matching and CSV export against their limits.
#include "BenchReporter.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseDump.h"
#include "database/DatabaseGenerator.h"
#include "database/DatabaseStatistics.h"
#include "database/DuplicateFinder.h"
#include "database/FieldChangeImport.h"
#include "database/ReferenceMatcher.h"
#include "layout/LayoutSet.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr double kDuplicatesMs = 100.0;
constexpr double kMatchMs = 200.0;
constexpr double kExportMs = 200.0;

struct Setup
{
    QTemporaryDir dir;
    LayoutSet layouts;
    SilentPrompt prompt{UserPrompt::Yes};
    std::unique_ptr<CChannelDb> db;
    std::unique_ptr<CChannelDb> reference;
    QByteArray csv;
};

Setup *g_setup = nullptr;

bool Generate(Setup &s, std::unique_ptr<CChannelDb> &db, uint32_t seed)
{
    GeneratorOptions options;
    options.satellites = 20;
    options.transponders = 600;
    options.programs = CChannelDb::kMaxPrograms;
    options.seed = seed;
    db = std::make_unique<CChannelDb>(s.layouts, s.prompt);
    return DatabaseGenerator(s.layouts).Generate(*db, options) && db->LiveCount(KindProgram) == options.programs;
}

bool Prepare(Setup &s)
{
    if (!s.dir.isValid())
        return false;
    QDir::setCurrent(s.dir.path());  // the parser leaves "parse.input" in the working directory
    if (!s.layouts.ParseTemplate(QStringLiteral(DRAVEL_SOURCE_DIR "/resources/templates/dravel-stb.h"), s.prompt))
        return false;
    if (!Generate(s, s.db, 11) || !Generate(s, s.reference, 12))
        return false;
    s.csv = DatabaseDump(*s.db).Csv(KindProgram);
    return true;
}

// Everything the dialog's first preview needs: the facts of every program and the groups.
void FindDuplicateGroups(benchmark::State &state)
{
    size_t groups = 0;
    for (auto _ : state) {
        const std::vector<DuplicateGroup> found = FindDuplicates(*g_setup->db, KeepRule::MostGroups);
        groups = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["groups"] = double(groups);
}

// Both lists read from their databases, then matched, then the new order worked out.
void MatchReferenceList(benchmark::State &state)
{
    int matched = 0;
    for (auto _ : state) {
        const std::vector<ProgramFacts> ours = CollectProgramFacts(*g_setup->db);
        const std::vector<ProgramFacts> reference = CollectProgramFacts(*g_setup->reference);
        const ReferenceMatching matching = MatchReference(ours, reference);
        const SlotOrder order = SlotOrderOfLiveSequence(*g_setup->db, KindProgram, matching.newSequence);
        matched = matching.matchedCount;
        benchmark::DoNotOptimize(order.data());
    }
    state.counters["matched"] = double(matched);
}

void ExportCsv(benchmark::State &state)
{
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray csv = DatabaseDump(*g_setup->db).Csv(KindProgram);
        bytes = csv.size();
        benchmark::DoNotOptimize(csv.constData());
    }
    state.counters["bytes"] = double(bytes);
}

// For diagnosis: the import of the unchanged export (every cell read and compared) and the statistics.
void PlanUnchangedImport(benchmark::State &state)
{
    for (auto _ : state) {
        const FieldImport import = PlanFieldImport(*g_setup->db, g_setup->csv);
        benchmark::DoNotOptimize(import.changes.data());
    }
}

void Statistics(benchmark::State &state)
{
    for (auto _ : state) {
        const DatabaseStatistics statistics = ComputeStatistics(*g_setup->db);
        benchmark::DoNotOptimize(statistics.satellites.data());
    }
}

} // namespace

BENCHMARK(FindDuplicateGroups)->Unit(benchmark::kMillisecond);
BENCHMARK(MatchReferenceList)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(PlanUnchangedImport)->Unit(benchmark::kMillisecond);
BENCHMARK(Statistics)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Setup setup;
    if (!Prepare(setup)) {
        std::fprintf(stderr, "lists_bench: cannot prepare the databases\n");
        return 1;
    }
    g_setup = &setup;
    std::printf("30000 programs (seed 11), reference of 30000 programs (seed 12), export %lld bytes\n",
                static_cast<long long>(setup.csv.size()));
    BenchReporter reporter(16);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintTarget("duplicates", "FindDuplicateGroups", kDuplicatesMs);
    reporter.PrintTarget("match reference", "MatchReferenceList", kMatchMs);
    reporter.PrintTarget("export CSV", "ExportCsv", kExportMs);
    benchmark::Shutdown();
    return 0;
}
