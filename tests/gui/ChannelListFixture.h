// Shared pieces of the channel list tests: the test editor context on a generated database, the
// navigator nodes over it, and helpers that save the database and read the saved channel order.
#pragma once

#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/DatabaseReader.h"
#include "database/DatabaseWriter.h"
#include "database/NodeFields.h"
#include "database/SettingsProfileStore.h"
#include "database/SlotLists.h"
#include "document/NavNode.h"
#include "document/RecordedEdit.h"
#include "gui/TestEditorContext.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

#include <QDir>
#include <QTest>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>

#include <map>
#include <memory>
#include <string>
#include <vector>

// A generated database loaded from its file, the view on it and the navigator nodes the tests use.
struct ListFixture
{
    GuiTest::TestEditorContext context;
    std::unique_ptr<CZanEditorView> view;
    NavNode all;        // kind 0
    NavNode satellite;  // kind 3, the first satellite
    NavNode transponder;  // kind 4, the satellite's first transponder
    NavNode favourites;   // kind 5
    NavNode group;        // kind 6
    QByteArray original;  // the database as saved right after loading
    bool ok = false;

    explicit ListFixture(int programs = 24, int groupNumber = 3)
    {
        GeneratorOptions options;
        options.satellites = 2;
        options.transponders = 4;
        options.programs = programs;
        options.seed = 11;
        const QString generated = context.Path(QStringLiteral("generated.usd"));
        if (!context.Generate(options)
            || !DatabaseGenerator::WriteFile(context.db, generated, context.profile)
            || !LoadDatabase(context.db, generated, false, context.profile))
            return;
        view = std::make_unique<CZanEditorView>(context);
        view->resize(900, 600);
        view->SetupListColumns();
        all.kind = NavAllServices;
        satellite.kind = NavSatellite;
        satellite.satId = GetNodeIntByName(context.db, KindSatellite, 0, "sat_id", PositionOrder).value_or(-1);
        transponder.kind = NavTransponder;
        transponder.parent = &satellite;
        transponder.satId = satellite.satId;
        for (int t = 0; t < context.db.Count(KindTransponder); ++t) {
            if (GetNodeIntByName(context.db, KindTransponder, t, "sat_id", PositionOrder) == satellite.satId) {
                transponder.tpId = GetNodeIntByName(context.db, KindTransponder, t, "tp_id", PositionOrder).value_or(-1);
                transponder.index = t;
                break;
            }
        }
        favourites.kind = NavFavouriteRoot;
        group.kind = NavFavouriteGroup;
        group.index = groupNumber;
        group.parent = &favourites;
        // A few members for sure, whatever the generator chose.
        for (int slot = 1; slot < Db().Count(KindProgram) && slot < 9; slot += 2) {
            const auto value = GetNodeIntByName(Db(), KindProgram, slot, "Favorite Group", DeclarationOrder);
            if (!value || !SetNodeIntByName(Db(), KindProgram, slot, "Favorite Group",
                                            uint32_t(*value) | (1u << (groupNumber - 1)), DeclarationOrder))
                return;
        }
        RebuildNodes();
        original = Save();
        ok = !original.isEmpty();
    }

    CChannelDb &Db() { return context.db; }

    void RebuildNodes()
    {
        for (NavNode *node : {&all, &satellite, &transponder, &favourites, &group}) {
            SlotListUpdate update = RebuildSlotList(Db(), node->kind, node->satId, node->tpId, node->index);
            node->slots = update.slots;
            node->hasSlots = true;
        }
    }

    // Keys reach the list's shortcuts only in the active window.
    bool ShowActive()
    {
        view->show();
        view->activateWindow();
        view->Table()->setFocus();
        return QTest::qWaitForWindowActive(view.get());
    }

    // The navigator selects the node and the list shows it.
    void Show(NavNode &node)
    {
        context.selected = &node;
        view->FillChannelList(&node);
    }

    // Selects exactly these rows, as the user would with Ctrl+click.
    void SelectRows(std::initializer_list<int> rows)
    {
        view->Table()->clearSelection();
        for (int row : rows)
            view->Table()->selectionModel()->select(view->Model()->index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    QByteArray Save(const QString &name = QStringLiteral("saved.usd"))
    {
        const QString path = context.Path(name);
        if (SaveNewUserDatabase(Db(), path, context.profile) != SaveResult::Written)
            return {};
        return ReadFileBytes(path);
    }

    // A program's identity: its ids, unique in a database.
    static std::string Key(const CChannelDb &db, int slot)
    {
        const auto sat = GetNodeIntByName(db, KindProgram, slot, "sat_id", PositionOrder);
        const auto tp = GetNodeIntByName(db, KindProgram, slot, "tp_id", PositionOrder);
        const auto prog = GetNodeIntByName(db, KindProgram, slot, "prog_id", PositionOrder);
        if (!sat || !tp || !prog)
            return {};
        return std::to_string(*sat) + "/" + std::to_string(*tp) + "/" + std::to_string(*prog);
    }

    // The live programs of a database in channel order.
    static std::vector<std::string> Order(const CChannelDb &db)
    {
        std::vector<std::string> keys;
        for (int slot = 0; slot < db.Count(KindProgram); ++slot) {
            if (db.IsUsed(KindProgram, slot))
                keys.push_back(Key(db, slot));
        }
        return keys;
    }

    // Saves the database, reads the file back into a database of its own and lists its order.
    std::vector<std::string> SavedOrder()
    {
        if (Save(QStringLiteral("order.usd")).isEmpty())
            return {};
        ScriptedPrompt readerPrompt;
        CChannelDb reread(context.Layouts(), readerPrompt);
        if (!LoadDatabase(reread, context.Path(QStringLiteral("order.usd")), false, context.profile))
            return {};
        return Order(reread);
    }

    // The key of the program a row of the list shows.
    std::string RowKey(int row)
    {
        const RowRecord *record = view->Record(row);
        if (!record || !record->node || record->index >= record->node->SlotCount())
            return {};
        return Key(Db(), record->node->slots[size_t(record->index)]);
    }

    QString Cell(int row, int column)
    {
        return view->Model()->data(view->Model()->index(row, column)).toString();
    }

    int ColumnOf(const QString &header)
    {
        for (int c = 0; c < view->Model()->columnCount(); ++c) {
            if (view->Model()->headerData(c, Qt::Horizontal).toString() == header)
                return c;
        }
        return -1;
    }

    // Undo everything: the saved file must be the original again; redo: the edited file again.
    bool UndoRedoRoundTrip(const QByteArray &edited)
    {
        while (context.stack.canUndo())
            context.stack.undo();
        if (Save() != original)
            return false;
        while (context.stack.canRedo())
            context.stack.redo();
        return Save() == edited;
    }
};
