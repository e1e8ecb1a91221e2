// Undo and redo of record and slot-map edits: created, edited and deleted nodes, exchanged slots.
#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/NodeFields.h"
#include "layout/LayoutSet.h"
#include "shell/DatabaseEditCommand.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

#include <QTest>
#include <QUndoStack>

class DatabaseEditCommandTest : public QObject
{
    Q_OBJECT

private:
    ScopedWorkingDir m_dir;  // "parse.input" goes here
    ScriptedPrompt m_prompt;
    LayoutSet m_layouts;
    std::unique_ptr<CChannelDb> m_db;

    // Every record and slot-map entry of every table.
    std::vector<std::vector<uint8_t>> Snapshot() const
    {
        std::vector<std::vector<uint8_t>> all;
        for (int kind = 0; kind < 3; ++kind) {
            for (int slot = 0; slot < m_db->Count(kind); ++slot)
                all.push_back(m_db->RecordBytes(kind, slot));
        }
        return all;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_layouts.ParseTemplate(QStringLiteral(DRAVEL_SOURCE_DIR "/resources/templates/dravel-stb.h"), m_prompt));
        m_db = std::make_unique<CChannelDb>(m_layouts, m_prompt);
        GeneratorOptions options;
        options.satellites = 2;
        options.transponders = 4;
        options.programs = 20;
        QVERIFY(DatabaseGenerator(m_layouts).Generate(*m_db, options));
    }

    void editsCreationsDeletionsAndExchangesUndoAndRedo()
    {
        const auto original = Snapshot();
        const std::vector<uint8_t> firstSatellite = m_db->RecordBytes(KindSatellite, 0);
        int refreshed = 0;

        // An edit made in place, taken back and pushed.
        const std::vector<uint8_t> before = m_db->RecordBytes(KindProgram, 3);
        QVERIFY(SetNodeTextByName(*m_db, KindProgram, 3, "Service Name", "Renamed", PositionOrder));
        std::vector<NodeChange> changes {DatabaseEditCommand::TakeBackEdit(*m_db, KindProgram, 3, before)};
        QCOMPARE(m_db->RecordBytes(KindProgram, 3), before);

        // A new program, taken back the same way.
        const int created = m_db->AllocateNode(KindProgram);
        QVERIFY(created >= 0);
        QVERIFY(SetNodeIntByName(*m_db, KindProgram, created, "prog_id", 99, PositionOrder));
        changes.push_back(DatabaseEditCommand::TakeBackCreation(*m_db, KindProgram, created));
        QVERIFY(!m_db->IsUsed(KindProgram, created));

        // A deleted program and two exchanged satellites.
        changes.push_back(NodeChange {KindProgram, 5, m_db->RecordBytes(KindProgram, 5), {}});
        QUndoStack stack;
        stack.push(new DatabaseEditCommand(*m_db, QStringLiteral("Edit"), changes, {SlotExchange {KindSatellite, 0, 1}},
                                           [&] { ++refreshed; }));
        QCOMPARE(refreshed, 1);
        QCOMPARE(GetNodeTextByName(*m_db, KindProgram, 3, "Service Name", PositionOrder).value_or(""),
                 std::string("Renamed"));
        QCOMPARE(GetNodeIntByName(*m_db, KindProgram, created, "prog_id", PositionOrder).value_or(0), 99);
        QVERIFY(!m_db->IsUsed(KindProgram, 5));
        const auto edited = Snapshot();
        QCOMPARE(m_db->RecordBytes(KindSatellite, 1), firstSatellite);

        stack.undo();
        QCOMPARE(Snapshot(), original);  // the new program's slot was free before, and is again
        QVERIFY(!m_db->IsUsed(KindProgram, created));
        stack.redo();
        QCOMPARE(Snapshot(), edited);
        QCOMPARE(refreshed, 3);
    }

    void aChangeThatCannotBeMadeIsReported()
    {
        // Deleting a node that is no longer there: the command says it was not applied.
        m_db->DeleteNode(KindProgram, 2);
        DatabaseEditCommand command(*m_db, QStringLiteral("Delete"), {NodeChange {KindProgram, 2, {1, 2}, {}}});
        command.redo();
        QVERIFY(!command.Applied());
        DatabaseEditCommand exchange(*m_db, QStringLiteral("Move"), {}, {SlotExchange {3, 0, 1}});
        exchange.redo();
        QVERIFY(!exchange.Applied());
    }
};

QTEST_GUILESS_MAIN(DatabaseEditCommandTest)
#include "DatabaseEditCommandTest.moc"
