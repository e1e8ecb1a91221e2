// The list tools' plans as document edits: the exchanges realise the order, the records hold the
// new favourite bits and the deletions, and undo gives the same saved bytes back.
#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/FavouriteGroups.h"
#include "database/SettingsProfileStore.h"
#include "document/ChannelDocument.h"
#include "document/DatabaseEditCommand.h"
#include "document/ListEditPlans.h"
#include "support/ScriptedPrompt.h"
#include "support/TableRecords.h"
#include "support/TempDir.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <numeric>

class ListEditPlansTest : public QObject
{
    Q_OBJECT

private:
    ScopedWorkingDir m_dir;  // "parse.input" goes here
    ScriptedPrompt m_prompt;
    std::unique_ptr<ChannelDocument> m_document;

    CChannelDb &Db() { return m_document->Database(); }

    QByteArray SavedBytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("saved.usd"));
        SettingsProfileStore profile(dir.filePath(QStringLiteral("profile.ini")));
        if (!DatabaseGenerator::WriteFile(Db(), path, profile))
            return {};
        return ReadFileBytes(path);
    }

    int Field(const char *name) { return m_document->Layouts().FindField(KindProgram, name, DeclarationOrder); }
    int32_t Int(int slot, const char *name)
    {
        int32_t value = -1;
        Db().GetNodeInt(KindProgram, slot, Field(name), value, 0, DeclarationOrder);
        return value;
    }
    void SetInt(int slot, const char *name, uint32_t value)
    {
        QVERIFY(Db().SetNodeInt(KindProgram, slot, Field(name), value, DeclarationOrder));
    }

    // A copy of a program under a new program id: the same service on the same transponder.
    int AddCopy(int source, uint32_t groups)
    {
        const int slot = Db().AllocateNode(KindProgram);
        if (slot < 0 || !Db().SetRecordBytes(KindProgram, slot, Db().RecordBytes(KindProgram, source)))
            return -1;
        SetInt(slot, "prog_id", uint32_t(Db().FindFreeId(KindProgram, Int(source, "sat_id"), Int(source, "tp_id"))));
        SetInt(slot, FavouriteGroups::kFieldName, groups);
        return slot;
    }

    std::vector<int> LiveSlots()
    {
        std::vector<int> slots;
        for (int slot = 0; slot < Db().Count(KindProgram); ++slot) {
            if (Db().IsUsed(KindProgram, slot))
                slots.push_back(slot);
        }
        return slots;
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

    void exchangesTakeTheTableIntoTheOrderAndBack()
    {
        const int count = Db().Count(KindProgram);
        // A rotation by three with two slots left in place: every kind of cycle.
        SlotOrder order = SlotOrder(size_t(count));
        std::iota(order.begin(), order.end(), 0);
        std::rotate(order.begin() + 2, order.begin() + 5, order.end());
        const std::vector<std::vector<uint8_t>> before = TestRecords::AllRecords(Db());
        std::vector<std::vector<uint8_t>> programs;
        for (int slot = 0; slot < count; ++slot)
            programs.push_back(Db().RecordBytes(KindProgram, slot));

        const std::vector<SlotMove> moves = SlotOrderMoves(KindProgram, order);
        QVERIFY(int(moves.size()) <= count - 1);
        for (const SlotMove &move : moves) {
            QCOMPARE(move.type, SlotMove::Type::Exchange);
            QVERIFY(Db().SwapSlots(KindProgram, move.from, move.to));
        }
        for (int slot = 0; slot < count; ++slot)
            QCOMPARE(Db().RecordBytes(KindProgram, slot), programs[size_t(order[size_t(slot)])]);
        for (auto move = moves.rbegin(); move != moves.rend(); ++move)
            QVERIFY(Db().SwapSlots(KindProgram, move->to, move->from));
        QCOMPARE(TestRecords::AllRecords(Db()), before);

        // The order that is already there needs no exchange.
        std::iota(order.begin(), order.end(), 0);
        QVERIFY(SlotOrderMoves(KindProgram, order).empty());
    }

    void duplicateRemovalIsOneCommandThatUndoesToTheSameBytes()
    {
        const std::vector<int> live = LiveSlots();
        QVERIFY(live.size() > 4);
        const int original = live[1];
        SetInt(original, FavouriteGroups::kFieldName, FavouriteGroups::Bit(1));
        const int copyA = AddCopy(original, FavouriteGroups::Bit(3));
        const int copyB = AddCopy(original, FavouriteGroups::Bit(3) | FavouriteGroups::Bit(7));
        QVERIFY(copyA >= 0 && copyB >= 0);
        const auto before = TestRecords::AllRecords(Db());
        const QByteArray savedBefore = SavedBytes();
        QVERIFY(!savedBefore.isEmpty());

        const std::vector<DuplicateGroup> groups = FindDuplicates(Db(), KeepRule::FirstInOrder);
        const DuplicateRemoval removal = PlanDuplicateRemoval(groups);
        QVERIFY(std::find(removal.deleteSlots.begin(), removal.deleteSlots.end(), copyA) != removal.deleteSlots.end());
        std::optional<DatabaseEdit> edit = DuplicateRemovalEdit(Db(), removal);
        QVERIFY(edit);
        QCOMPARE(TestRecords::AllRecords(Db()), before);  // planning leaves the database alone
        QVERIFY(edit->moves.empty());

        QVERIFY(DatabaseEditCommand::Push(*m_document, QStringLiteral("Delete Duplicates"), std::move(*edit)));
        QCOMPARE(m_document->UndoStack().count(), 1);
        for (const int32_t slot : removal.deleteSlots)
            QVERIFY(!Db().IsUsed(KindProgram, slot));
        QVERIFY(Db().IsUsed(KindProgram, original));
        QCOMPARE(uint32_t(Int(original, FavouriteGroups::kFieldName)),
                 FavouriteGroups::Bit(1) | FavouriteGroups::Bit(3) | FavouriteGroups::Bit(7));
        const QByteArray savedEdited = SavedBytes();
        QVERIFY(savedEdited != savedBefore);

        m_document->UndoStack().undo();
        QCOMPARE(TestRecords::AllRecords(Db()), before);
        QCOMPARE(SavedBytes(), savedBefore);
        m_document->UndoStack().redo();
        QCOMPARE(SavedBytes(), savedEdited);
    }

    void aPlanNamingAFreeSlotGivesNoEdit()
    {
        const std::vector<int> live = LiveSlots();
        Db().DeleteNode(KindProgram, live[0]);
        DuplicateRemoval removal;
        removal.deleteSlots = {live[0]};
        QVERIFY(!DuplicateRemovalEdit(Db(), removal));
        removal.deleteSlots = {live[1]};
        removal.groupChanges = {GroupBitsChange{live[0], 0, 1}};
        QVERIFY(!DuplicateRemovalEdit(Db(), removal));
        SlotOrder identity = SlotOrder(size_t(Db().Count(KindProgram)));
        std::iota(identity.begin(), identity.end(), 0);
        QVERIFY(ReorderEdit(Db(), {}, identity));
        identity.pop_back();  // not every slot
        QVERIFY(!ReorderEdit(Db(), {}, identity));
    }

    void fieldChangesBecomeOneRecordPerProgram()
    {
        const std::vector<int> live = LiveSlots();
        const QByteArray csv = "slot,Video Pid,Audio Pid1\r\n" + QByteArray::number(live[0]) + ",1001,1002\r\n"
                               + QByteArray::number(live[2]) + ",1003,1004\r\n";
        const FieldImport import = PlanFieldImport(Db(), csv);
        QVERIFY(import.Ok());
        QCOMPARE(import.changes.size(), size_t(4));
        const auto before = TestRecords::AllRecords(Db());
        std::optional<DatabaseEdit> edit = FieldChangesEdit(Db(), import.changes);
        QVERIFY(edit);
        QCOMPARE(TestRecords::AllRecords(Db()), before);
        QCOMPARE(edit->changes.size(), size_t(2));  // two fields of each of two programs
        QCOMPARE(edit->changes[0].slot, live[0]);
        QCOMPARE(edit->changes[1].slot, live[2]);
        QVERIFY(DatabaseEditCommand::Push(*m_document, QStringLiteral("Import"), std::move(*edit)));
        QCOMPARE(Int(live[2], "Audio Pid1"), 1004);
        m_document->UndoStack().undo();
        QCOMPARE(TestRecords::AllRecords(Db()), before);

        // A change of a program deleted since the plan: no edit, nothing written.
        Db().DeleteNode(KindProgram, live[2]);
        const auto afterDelete = TestRecords::AllRecords(Db());
        QVERIFY(!FieldChangesEdit(Db(), import.changes));
        QCOMPARE(TestRecords::AllRecords(Db()), afterDelete);
    }

    void reorderTakesGroupBitsByTheOldSlotsThenMoves()
    {
        const std::vector<int> live = LiveSlots();
        const int count = Db().Count(KindProgram);
        SlotOrder reversed = SlotOrder(size_t(count));
        for (int i = 0; i < count; ++i)
            reversed[size_t(i)] = count - 1 - i;
        const int first = live.front();
        const uint32_t bits = uint32_t(Int(first, FavouriteGroups::kFieldName));
        const auto before = TestRecords::AllRecords(Db());
        const QByteArray savedBefore = SavedBytes();
        const std::vector<uint8_t> firstRecord = Db().RecordBytes(KindProgram, first);
        const int32_t firstKey[] = {Int(first, "sat_id"), Int(first, "tp_id"), Int(first, "prog_id")};

        std::optional<DatabaseEdit> edit =
            ReorderEdit(Db(), {GroupBitsChange{first, bits, bits | FavouriteGroups::Bit(32)}}, reversed);
        QVERIFY(edit);
        QCOMPARE(edit->changes.size(), size_t(1));
        QCOMPARE(edit->changes[0].before, firstRecord);
        QVERIFY(!edit->moves.empty());
        QVERIFY(DatabaseEditCommand::Push(*m_document, QStringLiteral("Apply Order"), std::move(*edit)));

        // The program first in slot `first` is now at the mirrored slot, with the new bit.
        const int moved = count - 1 - first;
        QCOMPARE(uint32_t(Int(moved, FavouriteGroups::kFieldName)), bits | FavouriteGroups::Bit(32));
        QCOMPARE(Int(moved, "sat_id"), firstKey[0]);
        QCOMPARE(Int(moved, "tp_id"), firstKey[1]);
        QCOMPARE(Int(moved, "prog_id"), firstKey[2]);
        m_document->UndoStack().undo();
        QCOMPARE(TestRecords::AllRecords(Db()), before);
        QCOMPARE(SavedBytes(), savedBefore);
    }
};

QTEST_GUILESS_MAIN(ListEditPlansTest)
#include "ListEditPlansTest.moc"
