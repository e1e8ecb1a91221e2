// The document applies every edit and says what changed: records created, edited and deleted,
// slots exchanged and rotated, group names; undo and redo give the same bytes back.
#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/NodeFields.h"
#include "document/ChannelDocument.h"
#include "document/DatabaseEditCommand.h"
#include "document/RecordedEdit.h"
#include "document/RenameGroupCommand.h"
#include "support/ScriptedPrompt.h"
#include "support/TableRecords.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

class ChannelDocumentTest : public QObject
{
    Q_OBJECT

private:
    ScopedWorkingDir m_dir;  // "parse.input" goes here
    ScriptedPrompt m_prompt;
    std::unique_ptr<ChannelDocument> m_document;

    CChannelDb &Db() { return m_document->Database(); }

    static QList<int> Slots(const QSignalSpy &spy, int call)
    {
        return spy.at(call).at(1).value<QList<int>>();
    }

private Q_SLOTS:
    void init()
    {
        m_document = std::make_unique<ChannelDocument>(m_prompt);
        QVERIFY(m_document->Layouts().ParseTemplate(
            QStringLiteral(DRAVEL_SOURCE_DIR "/resources/templates/dravel-stb.h"), m_prompt));
        GeneratorOptions options;
        options.satellites = 2;
        options.transponders = 4;
        options.programs = 20;
        QVERIFY(DatabaseGenerator(m_document->Layouts()).Generate(Db(), options));
    }

    void recordedWritesBecomeOneCommandThatAnnouncesItself()
    {
        const auto original = TestRecords::AllRecords(Db());
        QSignalSpy changed(m_document.get(), &ChannelDocument::NodesChanged);
        QSignalSpy inserted(m_document.get(), &ChannelDocument::NodesInserted);
        QSignalSpy removed(m_document.get(), &ChannelDocument::NodesRemoved);
        QSignalSpy done(m_document.get(), &ChannelDocument::Changed);

        // A form's writes: one record edited in place, one program created.
        std::vector<RecordedWrite> writes {{KindProgram, 3, false, Db().RecordBytes(KindProgram, 3)}};
        QVERIFY(SetNodeTextByName(Db(), KindProgram, 3, "Service Name", "Renamed", PositionOrder));
        const int created = Db().AllocateNode(KindProgram);
        QVERIFY(created >= 0);
        QVERIFY(SetNodeIntByName(Db(), KindProgram, created, "prog_id", 99, PositionOrder));
        writes.push_back({KindProgram, created, true, {}});

        QVERIFY(PushRecordedEdit(*m_document, QStringLiteral("Edit"), writes));
        QCOMPARE(m_document->UndoStack().count(), 1);
        QCOMPARE(GetNodeTextByName(Db(), KindProgram, 3, "Service Name", PositionOrder).value_or(""),
                 std::string("Renamed"));
        QCOMPARE(GetNodeIntByName(Db(), KindProgram, created, "prog_id", PositionOrder).value_or(0), 99);
        // The first redo is the edit, and it was announced like every later one.
        QCOMPARE(done.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(Slots(changed, 0), QList<int>({3}));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(Slots(inserted, 0), QList<int>({created}));
        const auto edited = TestRecords::AllRecords(Db());

        m_document->UndoStack().undo();
        QCOMPARE(TestRecords::AllRecords(Db()), original);
        QVERIFY(!Db().IsUsed(KindProgram, created));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(Slots(removed, 0), QList<int>({created}));
        m_document->UndoStack().redo();
        QCOMPARE(TestRecords::AllRecords(Db()), edited);
        QCOMPARE(done.count(), 3);
    }

    void deletionsExchangesAndRotationsUndoInReverse()
    {
        const auto original = TestRecords::AllRecords(Db());
        const std::vector<uint8_t> firstSatellite = Db().RecordBytes(KindSatellite, 0);
        const std::vector<uint8_t> program2 = Db().RecordBytes(KindProgram, 2);
        const std::vector<uint8_t> program9 = Db().RecordBytes(KindProgram, 9);
        QSignalSpy order(m_document.get(), &ChannelDocument::SlotOrderChanged);

        DatabaseEdit edit;
        edit.changes.push_back({KindProgram, 15, Db().RecordBytes(KindProgram, 15), {}});
        edit.moves.push_back({SlotMove::Type::Exchange, KindSatellite, 0, 1});
        edit.moves.push_back({SlotMove::Type::Rotation, KindProgram, 9, 2});
        auto *command = new DatabaseEditCommand(*m_document, QStringLiteral("Mixed"), std::move(edit));
        m_document->UndoStack().push(command);
        QVERIFY(command->Applied());
        QVERIFY(!Db().IsUsed(KindProgram, 15));
        QCOMPARE(Db().RecordBytes(KindSatellite, 1), firstSatellite);
        // Program 9 now stands in slot 2, and the one of slot 2 one place further on.
        QCOMPARE(Db().RecordBytes(KindProgram, 2), program9);
        QCOMPARE(Db().RecordBytes(KindProgram, 3), program2);
        QCOMPARE(order.count(), 2);  // satellites, then programs
        QCOMPARE(order.at(1).at(1).toInt(), 2);
        QCOMPARE(order.at(1).at(2).toInt(), 9);

        m_document->UndoStack().undo();
        QCOMPARE(TestRecords::AllRecords(Db()), original);
    }

    void aChangeThatCannotBeMadeIsReportedAndNothingStays()
    {
        // Deleting a node that is no longer there: the command says it was not applied.
        Db().DeleteNode(KindProgram, 2);
        DatabaseEdit gone;
        gone.changes.push_back({KindProgram, 2, {1, 2}, {}});
        DatabaseEditCommand command(*m_document, QStringLiteral("Delete"), gone);
        command.redo();
        QVERIFY(!command.Applied());
        DatabaseEdit badKind;
        badKind.moves.push_back({SlotMove::Type::Exchange, NodeKind(3), 0, 1});
        DatabaseEditCommand exchange(*m_document, QStringLiteral("Move"), badKind);
        exchange.redo();
        QVERIFY(!exchange.Applied());

        // A recorded edit whose redo fails is taken back whole and leaves no command behind.
        const auto before = TestRecords::AllRecords(Db());
        QVERIFY(!PushRecordedEdit(*m_document, QStringLiteral("Nothing"), {}));
        std::vector<SlotMove> outside {{SlotMove::Type::Exchange, KindProgram, 0, 1 << 20}};
        QVERIFY(!PushRecordedEdit(*m_document, QStringLiteral("Bad"),
                                  {{KindProgram, 4, false, Db().RecordBytes(KindProgram, 4)}}, outside));
        QCOMPARE(TestRecords::AllRecords(Db()), before);
        QCOMPARE(m_document->UndoStack().count(), 0);
    }

    void groupNamesFileStateAndModification()
    {
        QSignalSpy names(m_document.get(), &ChannelDocument::GroupNamesChanged);
        QSignalSpy opened(m_document.get(), &ChannelDocument::FileOpened);
        QSignalSpy closed(m_document.get(), &ChannelDocument::FileClosed);
        QVERIFY(!m_document->IsOpen());
        QVERIFY(!m_document->IsModified());
        m_document->SetOpened(QStringLiteral("x.DDF"), FileKindOfPath(QStringLiteral("x.DDF")));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(m_document->FileKind(), DatabaseFileKind::Default);
        QVERIFY(Db().Favourites());
        const std::string old = Db().Favourites()->names[0];
        m_document->UndoStack().push(new RenameGroupCommand(*m_document, 1, old, "News"));
        QCOMPARE(Db().Favourites()->names[0], std::string("News"));
        QCOMPARE(names.count(), 1);
        QVERIFY(m_document->IsModified());
        m_document->SetSaved(QStringLiteral("x.DDF"));
        QVERIFY(!m_document->IsModified());
        m_document->UndoStack().undo();
        QCOMPARE(Db().Favourites()->names[0], old);
        QVERIFY(m_document->IsModified());
        // A group outside the table changes nothing and says nothing.
        QVERIFY(!m_document->ApplyGroupName(33, "x"));
        QCOMPARE(names.count(), 2);

        m_document->Close();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!m_document->IsOpen());
        QCOMPARE(m_document->UndoStack().count(), 0);
        QCOMPARE(Db().LiveCount(KindProgram), 0);
        QCOMPARE(FileKindOfPath(QStringLiteral("a.usd")), DatabaseFileKind::User);
        QCOMPARE(FileKindOfPath(QStringLiteral("a.udf")), DatabaseFileKind::None);
    }
};

QTEST_GUILESS_MAIN(ChannelDocumentTest)
#include "ChannelDocumentTest.moc"
