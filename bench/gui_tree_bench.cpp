// The navigator on the largest databases: building the tree (the transponder table is read once
// per satellite) and selecting a satellite with thousands of programs (slot list and list fill).
#include "GuiBenchContext.h"

#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "views/CNavigator.h"
#include "document/NavNode.h"
#include "layout/FieldDesc.h"
#include "views/CZanEditorView.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

// A database with a navigator and a channel list wired as the frame wires them.
class TreeSetup : public GuiBenchContext
{
public:
    NavNode *SelectedNode() override { return navigator ? navigator->GetSelectedNode() : nullptr; }

    bool Prepare(const GeneratorOptions &options)
    {
        if (!PrepareDatabase(options))
            return false;
        navigator = std::make_unique<CNavigator>(*this);
        list = std::make_unique<CZanEditorView>(*this);
        QObject::connect(navigator.get(), &CNavigator::NodeSelected, list.get(),
                         [this](NavNode *node) { list->FillChannelList(node); });
        navigator->resize(300, 700);
        list->resize(1000, 700);
        navigator->show();
        list->show();
        list->SetupListColumns();
        QApplication::processEvents();
        std::fprintf(stderr, "satellites %d, transponders %d, programs %d\n", db->LiveCount(KindSatellite),
                     db->LiveCount(KindTransponder), db->LiveCount(KindProgram));
        return true;
    }

    std::unique_ptr<CNavigator> navigator;
    std::unique_ptr<CZanEditorView> list;
};

TreeSetup *g_largest = nullptr;   // most satellites, transponders and programs
TreeSetup *g_crowded = nullptr;   // few satellites with thousands of programs each

// Each step includes the event processing that lays the tree out and paints it.
void BM_RebuildNavigator(benchmark::State &state)
{
    CNavigator &navigator = *g_largest->navigator;
    for (auto _ : state) {
        navigator.RebuildNavigator();
        QApplication::processEvents();
    }
    int items = 0;
    for (int i = 0; i < navigator.SatelliteFolderItem()->childCount(); ++i)
        items += 1 + navigator.SatelliteFolderItem()->child(i)->childCount();
    state.counters["items"] = items;
}

// Alternates between two satellites, so every step is a real selection change.
void BM_SelectSatellite(benchmark::State &state)
{
    TreeSetup &s = *g_crowded;
    s.navigator->RebuildNavigator();
    QTreeWidgetItem *folder = s.navigator->SatelliteFolderItem();
    QTreeWidgetItem *satellites[2] = {folder->child(0), folder->child(1)};
    int next = 0;
    for (auto _ : state) {
        s.navigator->setCurrentItem(satellites[next]);
        QApplication::processEvents();
        next = 1 - next;
    }
    // The rows each of the two selections shows.
    for (int i = 0; i < 2; ++i) {
        s.navigator->setCurrentItem(satellites[i]);
        state.counters[i == 0 ? "rowsA" : "rowsB"] = s.list->RowCount();
    }
}

// A transponder's list recomputes its satellite's first.
void BM_SelectTransponder(benchmark::State &state)
{
    TreeSetup &s = *g_crowded;
    s.navigator->RebuildNavigator();
    QTreeWidgetItem *satellite = s.navigator->SatelliteFolderItem()->child(0);
    QTreeWidgetItem *transponders[2] = {satellite->child(0), satellite->child(1)};
    int next = 0;
    for (auto _ : state) {
        s.navigator->setCurrentItem(transponders[next]);
        QApplication::processEvents();
        next = 1 - next;
    }
    state.counters["rows"] = s.list->RowCount();
}

// A transponder deleted in the tree of the largest database (its programs with it) and the
// deletion undone: the document applies both, the tree and the list follow.
void BM_TreeDeleteAndUndo(benchmark::State &state)
{
    TreeSetup &s = *g_largest;
    s.navigator->RebuildNavigator();
    for (auto _ : state) {
        s.navigator->setCurrentItem(s.navigator->SatelliteFolderItem()->child(0)->child(0));
        s.navigator->Delete();
        QApplication::processEvents();
        s.stack.undo();
        QApplication::processEvents();
    }
    state.counters["programs"] = s.db->LiveCount(KindProgram);
}

BENCHMARK(BM_RebuildNavigator)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeDeleteAndUndo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectSatellite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectTransponder)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    GeneratorOptions largest;
    largest.satellites = DatabaseGenerator::kMaxSatelliteIds;
    largest.transponders = CChannelDb::kMaxTransponders;
    largest.programs = CChannelDb::kMaxPrograms;
    largest.seed = 42;
    GeneratorOptions crowded;
    crowded.satellites = 8;
    crowded.transponders = 400;
    crowded.programs = CChannelDb::kMaxPrograms;
    crowded.seed = 7;

    TreeSetup largestSetup;
    TreeSetup crowdedSetup;
    if (!largestSetup.Prepare(largest) || !crowdedSetup.Prepare(crowded)) {
        std::fprintf(stderr, "setup failed\n");
        return 1;
    }
    g_largest = &largestSetup;
    g_crowded = &crowdedSetup;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_largest = nullptr;
    g_crowded = nullptr;
    return 0;
}
