// The channel list on the largest generated database: fill "All Services", switch the TV/Radio
// filter, Move Up in a list of every program (the rows stay, the table draws them again), a
// dialog's edit applied through the document, keystrokes in the find field, a header sort, Apply
// Sorted Order and a drop of 1000 rows.
#include "GuiBenchContext.h"

#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/NodeFields.h"
#include "database/SlotLists.h"
#include "document/RecordedEdit.h"
#include "document/NavNode.h"
#include "layout/FieldDesc.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"
#include "views/ProgramSlotsMime.h"

#include <QApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QTableView>
#include <QUndoStack>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

struct Setup
{
    GuiBenchContext context;
    NavNode all;
    std::unique_ptr<CZanEditorView> view;
};

Setup *g_setup = nullptr;

bool Prepare(Setup &s)
{
    GuiBenchContext &c = s.context;
    // The database benchmark's satellite line-up with the most programs a database holds (more
    // than a ".usd" payload stores, but what the editor can have in memory).
    GeneratorOptions options;
    options.satellites = 60;
    options.transponders = 1200;
    options.seed = 42;
    options.programs = CChannelDb::kMaxPrograms;
    if (!c.PrepareDatabase(options) || c.db->LiveCount(KindProgram) != options.programs)
        return false;
    s.all.kind = NavAllServices;
    s.all.slots = AllProgramSlots(*c.db);
    s.all.hasSlots = true;
    c.selected = &s.all;
    c.stack.setUndoLimit(1000);
    s.view = std::make_unique<CZanEditorView>(c);
    s.view->resize(1000, 700);
    s.view->show();
    s.view->SetupListColumns();
    QApplication::processEvents();
    std::fprintf(stderr, "programs: %d\n", int(s.all.slots.size()));
    return true;
}

// Each step includes the event processing that paints the list.
void BM_FillAllServices(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
    for (auto _ : state) {
        view.FillChannelList(&g_setup->all);
        QApplication::processEvents();
    }
    state.counters["rows"] = view.RowCount();
}

void BM_SwitchServiceFilter(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    view.FillChannelList(&g_setup->all);
    ServiceFilter filter = ServiceFilter::TvAndRadio;
    for (auto _ : state) {
        // TV only, then all services again
        filter = filter == ServiceFilter::TvOnly ? ServiceFilter::TvAndRadio : ServiceFilter::TvOnly;
        view.SetServiceFilter(filter);
        QApplication::processEvents();
    }
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
}

void BM_MoveUp(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
    view.FillChannelList(&g_setup->all);
    const int rows = view.RowCount();
    view.SelectChannelRow(rows / 2);
    bool up = true;
    for (auto _ : state) {
        // Up and down in turn, so the selected program stays in the middle of the list.
        if (up)
            view.MoveUp();
        else
            view.MoveDown();
        up = !up;
        QApplication::processEvents();
    }
    state.counters["rows"] = rows;
}

// One dialog's OK on the list of every program: the form's write, pushed as a command, and the
// list following the document.
void BM_DialogEdit(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    GuiBenchContext &c = g_setup->context;
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
    view.FillChannelList(&g_setup->all);
    const int slot = g_setup->all.slots[g_setup->all.slots.size() / 2];
    view.SelectSlotRow(slot);
    bool flip = false;
    for (auto _ : state) {
        std::vector<RecordedWrite> writes {{KindProgram, slot, false, c.db->RecordBytes(KindProgram, slot)}};
        SetNodeTextByName(*c.db, KindProgram, slot, "Service Name", flip ? "Bench A" : "Bench B", PositionOrder);
        flip = !flip;
        PushRecordedEdit(c.document, QStringLiteral("Edit Channel"), writes);
        QApplication::processEvents();
    }
    state.counters["rows"] = view.RowCount();
}

// One keystroke in the find field on the list of every program, the table drawn again: typing
// the last letter of "rai 1" and taking it back in turn (the names were read by an earlier one).
void BM_FindKeystroke(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
    view.FillChannelList(&g_setup->all);
    view.SetFindText(QStringLiteral("rai "));
    QApplication::processEvents();
    bool full = true;
    for (auto _ : state) {
        view.SetFindText(full ? QStringLiteral("rai 1") : QStringLiteral("rai "));
        full = !full;
        QApplication::processEvents();
    }
    state.counters["shown"] = view.RowCount();
    view.SetFindText(QString());
}

// The first keystroke after the list was filled: every program's name, id and PIDs are read.
void BM_FindFirstKeystroke(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
    for (auto _ : state) {
        state.PauseTiming();
        view.SetFindText(QString());
        view.FillChannelList(&g_setup->all);
        QApplication::processEvents();
        state.ResumeTiming();
        view.SetFindText(QStringLiteral("r"));
        QApplication::processEvents();
    }
    state.counters["shown"] = view.RowCount();
    view.SetFindText(QString());
}

// The same first keystroke without drawing: the model reading the names and choosing the rows.
void BM_FindFirstKeystrokeModel(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
    for (auto _ : state) {
        state.PauseTiming();
        view.SetFindText(QString());
        view.FillChannelList(&g_setup->all);
        QApplication::processEvents();
        state.ResumeTiming();
        view.Model()->SetFindText(QStringLiteral("r"));
    }
    state.counters["shown"] = view.Model()->RowCount();
    view.SetFindText(QString());
}

// A number typed: service ids and PIDs compared, names searched for the digits too.
void BM_FindNumber(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
    view.FillChannelList(&g_setup->all);
    view.SetFindText(QStringLiteral("11"));
    QApplication::processEvents();
    bool full = true;
    for (auto _ : state) {
        view.SetFindText(full ? QStringLiteral("110") : QStringLiteral("11"));
        full = !full;
        QApplication::processEvents();
    }
    state.counters["shown"] = view.RowCount();
    view.SetFindText(QString());
}

int NameColumn(const ChannelListModel &model)
{
    for (int c = 0; c < model.columnCount(); ++c) {
        if (model.headerData(c, Qt::Horizontal).toString() == QStringLiteral("Service Name"))
            return c;
    }
    return -1;
}

// A click on the name column's header: every name read and the rows put in natural order, the
// table drawn again. Ascending and descending in turn.
void BM_HeaderSort(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
    view.FillChannelList(&g_setup->all);
    QApplication::processEvents();
    const int column = NameColumn(*view.Model());
    bool ascending = true;
    for (auto _ : state) {
        view.Table()->sortByColumn(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        ascending = !ascending;
        QApplication::processEvents();
    }
    state.counters["rows"] = view.RowCount();
    view.Table()->sortByColumn(0, Qt::AscendingOrder);
}

// Apply Sorted Order on the list of every program sorted by name: the exchanges planned, applied
// through the document as one command, and the list following it. The undo is not timed.
void BM_ApplySortedOrder(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    QUndoStack &stack = g_setup->context.stack;
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
    view.FillChannelList(&g_setup->all);
    const int column = NameColumn(*view.Model());
    for (auto _ : state) {
        state.PauseTiming();
        view.Table()->sortByColumn(column, Qt::AscendingOrder);
        QApplication::processEvents();
        state.ResumeTiming();
        view.ApplySortedOrder();
        QApplication::processEvents();
        state.PauseTiming();
        stack.undo();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = view.RowCount();
}

// 1000 rows spread over the list of every program dropped at its top, as the table hands a drop
// to the model (the drag's data read, the rows found, the move pushed and the list drawn again);
// the undo is not timed.
void BM_DropThousandRows(benchmark::State &state)
{
    CZanEditorView &view = *g_setup->view;
    QUndoStack &stack = g_setup->context.stack;
    view.SetServiceFilter(ServiceFilter::TvAndRadio);
    view.FillChannelList(&g_setup->all);
    const int rows = view.RowCount();
    std::vector<int32_t> dragged;
    for (int row = 1; row < rows && dragged.size() < 1000; row += rows / 1000)
        dragged.push_back(view.Model()->Row(row)->slot);
    const std::unique_ptr<QMimeData> data = ProgramSlotsMime::Encode(dragged);
    for (auto _ : state) {
        if (!view.Model()->dropMimeData(data.get(), Qt::MoveAction, 0, 0, QModelIndex()))
            state.SkipWithError("the drop was refused");
        QApplication::processEvents();
        state.PauseTiming();
        stack.undo();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["dragged"] = double(dragged.size());
}

BENCHMARK(BM_FillAllServices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DialogEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwitchServiceFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveUp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindFirstKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindFirstKeystrokeModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeaderSort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplySortedOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DropThousandRows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Setup setup;
    if (!Prepare(setup)) {
        std::fprintf(stderr, "setup failed\n");
        return 1;
    }
    g_setup = &setup;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_setup = nullptr;
    return 0;
}
