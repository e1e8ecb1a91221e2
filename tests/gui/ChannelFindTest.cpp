// The channel list's find, Go to and counts: matches by name, accent, service id and PID under each
// TV/Radio setting, moves in a found list, real positions, keys, type-ahead and the opened file.
#include "ChannelListFixture.h"
#include "gui/GuiTestSupport.h"

#include "shell/CMainFrame.h"
#include "views/CAnotherIndexDlg.h"
#include "views/CNavigator.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QtTest>

namespace {

// Types text as key presses, also letters a US keyboard lacks.
void TypeText(QWidget *widget, const QString &text)
{
    // Qt's key codes of letters are their upper-case code points.
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

// A generated database whose programs a, b, c carry "zebre" in their names, d a service id and
// e a PID found nowhere else.
struct FindFixture : ListFixture
{
    int a = 2, b = 7, c = 15, d = 4, e = 20;
    std::map<std::string, int> listRowOf;  // program key -> row in the whole list
    std::map<int, std::string> keyAt;       // slot -> key of the program it held at the start
    bool ready = false;

    FindFixture()
    {
        if (!ok)
            return;
        auto name = [this](int slot, const char *utf8) {
            return SetNodeTextByName(Db(), KindProgram, slot, "Service Name", utf8, DeclarationOrder);
        };
        auto number = [this](int slot, const char *field, uint32_t value) {
            return SetNodeIntByName(Db(), KindProgram, slot, field, value, DeclarationOrder);
        };
        if (!name(a, "Z\xC3\xA8" "bre T\xC3\xA9l\xC3\xA9") || !name(b, "ZEBRE TELE 2") || !name(c, "Le Z\xC3\xA8" "bre")
            || !number(a, "Service Type", 0) || !number(b, "Service Type", 1) || !number(c, "Service Type", 1)
            || !number(d, "Service Type", 1) || !number(e, "Service Type", 1))
            return;
        for (int slot = 0; slot < Db().Count(KindProgram); ++slot) {
            for (const char *field : {"Service ID", "Video Pid", "Audio Pid1", "Audio Pid2", "Audio Pid3", "PCR Pid"}) {
                const auto value = GetNodeIntByName(Db(), KindProgram, slot, field, DeclarationOrder);
                if (value == 65000 || value == 65001)
                    return;  // the numbers must be unique for the expectations below
            }
        }
        if (!number(d, "Service ID", 65000) || !number(e, "Audio Pid2", 65001))
            return;
        RebuildNodes();
        for (int slot = 0; slot < Db().Count(KindProgram); ++slot)
            keyAt[slot] = Key(Db(), slot);
        original = Save();
        Show(all);
        for (int row = 0; row < view->RowCount(); ++row)
            listRowOf[RowKey(row)] = row;
        ready = !original.isEmpty() && view->RowCount() == 24;
    }

    // The program that slot held at the start, wherever the edits put it.
    std::string K(int slot) { return keyAt[slot]; }

    std::vector<std::string> Shown()
    {
        std::vector<std::string> keys;
        for (int row = 0; row < view->RowCount(); ++row)
            keys.push_back(RowKey(row));
        return keys;
    }
};

} // namespace

class ChannelFindTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { CAnotherIndexDlg::ClearNextAnswer(); }

    void FindsByNameAccentIdAndPidUnderEachSwitch();
    void MovesInAFoundListUseVisibleNeighboursAndRealPositions();
    void IndexesOutOfRangeAreSaid();
    void GoToSelectsByRealIndex();
    void KeysFocusClearAndEnterTheList();
    void TypingJumpsByNameWhateverTheColumn();
    void OpenedFileShowsAllServicesAndCounts();
};

void ChannelFindTest::FindsByNameAccentIdAndPidUnderEachSwitch()
{
    FindFixture f;
    QVERIFY(f.ready);
    const std::vector<std::string> everything = f.Shown();
    struct Case
    {
        ServiceFilter filter;
        QString text;
        std::vector<int> slots;
    };
    const QString accented = QString::fromUtf8("Z\xC3\x88" "B");  // "ZÈB"
    const std::vector<Case> cases {
        {ServiceFilter::TvAndRadio, QStringLiteral("zebre"), {f.a, f.b, f.c}},
        {ServiceFilter::TvAndRadio, accented, {f.a, f.b, f.c}},
        {ServiceFilter::TvAndRadio, QStringLiteral("tele"), {f.a, f.b}},
        {ServiceFilter::TvAndRadio, QStringLiteral("65000"), {f.d}},
        {ServiceFilter::TvAndRadio, QStringLiteral(" 65001 "), {f.e}},
        {ServiceFilter::TvAndRadio, QStringLiteral("no such channel"), {}},
        {ServiceFilter::TvOnly, QStringLiteral("zebre"), {f.b, f.c}},
        {ServiceFilter::TvOnly, QStringLiteral("65001"), {f.e}},
        {ServiceFilter::RadioOnly, QStringLiteral("zebre"), {f.a}},
        {ServiceFilter::RadioOnly, QStringLiteral("65000"), {}},
    };
    for (const Case &c : cases) {
        f.view->SetServiceFilter(c.filter);
        f.view->SetFindText(c.text);
        std::vector<std::string> expected;
        for (int slot : c.slots)
            expected.push_back(f.K(slot));
        QCOMPARE(f.Shown(), expected);
        QCOMPARE(f.view->FindField()->text(), c.text);
        if (c.filter == ServiceFilter::TvAndRadio) {
            // The Index column keeps each channel's place in the whole list.
            for (int row = 0; row < f.view->RowCount(); ++row)
                QCOMPARE(f.Cell(row, 0).trimmed().toInt(), f.listRowOf[f.RowKey(row)] + 1);
            QCOMPARE(f.view->CountText(), QStringLiteral("%1 of 24 channels").arg(c.slots.size()));
        }
    }
    // An empty find shows the list as before, with its counts.
    f.view->SetServiceFilter(ServiceFilter::TvAndRadio);
    f.view->SetFindText(QString());
    QCOMPARE(f.Shown(), everything);
    QCOMPARE(f.Cell(23, 0), QStringLiteral(" 24"));
    QVERIFY2(f.view->CountText().startsWith(QStringLiteral("24 channels · ")), qPrintable(f.view->CountText()));
    // A find never changes the file.
    QCOMPARE(f.context.stack.count(), 0);
    QCOMPARE(f.Save(), f.original);
}

void ChannelFindTest::MovesInAFoundListUseVisibleNeighboursAndRealPositions()
{
    FindFixture f;
    QVERIFY(f.ready);
    const std::vector<std::string> before = ListFixture::Order(f.Db());
    f.view->SetFindText(QStringLiteral("zebre"));
    QCOMPARE(f.view->RowCount(), 3);

    // Move Up on the second found row exchanges it with the first found one, over hidden rows.
    f.view->SelectChannelRow(1);
    f.view->MoveUp();
    std::vector<std::string> expected = before;
    std::swap(expected[size_t(f.listRowOf[f.K(f.a)])], expected[size_t(f.listRowOf[f.K(f.b)])]);
    QCOMPARE(f.SavedOrder(), expected);
    QCOMPARE(f.view->RowCount(), 3);  // the find still applies after the edit
    QCOMPARE(f.RowKey(0), f.K(f.b));
    QCOMPARE(f.view->FirstSelectedRow(), 0);  // the moved channel stays selected
    // Move Down from the last found row does nothing; from the first it passes hidden rows.
    f.view->Table()->clearSelection();
    f.view->SelectChannelRow(1);
    f.view->MoveDown();
    std::swap(expected[size_t(f.listRowOf[f.K(f.b)])], expected[size_t(f.listRowOf[f.K(f.c)])]);
    QCOMPARE(f.SavedOrder(), expected);
    QCOMPARE(f.RowKey(2), f.K(f.a));

    // Switch Channel takes a real Index: row 1 of the whole list, hidden by the find.
    f.view->Table()->clearSelection();
    f.view->SelectChannelRow(0);
    CAnotherIndexDlg::SetNextAnswer(1);
    f.view->SwitchChannel();
    std::swap(expected[0], expected[size_t(f.listRowOf[f.K(f.a)])]);
    QCOMPARE(f.SavedOrder(), expected);
    QCOMPARE(f.RowKey(0), f.K(f.b));  // b now sits first of all

    // Move Channel to a real Index puts the channel there among all the rows.
    f.view->Table()->clearSelection();
    f.view->SelectChannelRow(2);  // a, at the end of the found rows
    CAnotherIndexDlg::SetNextAnswer(2);
    f.view->MoveChannel();
    f.view->SetFindText(QString());
    QCOMPARE(f.RowKey(1), f.K(f.a));
    QCOMPARE(f.RowKey(0), f.K(f.b));
    QCOMPARE(f.context.stack.count(), 4);
    QVERIFY(f.UndoRedoRoundTrip(f.Save(QStringLiteral("edited.usd"))));
}

void ChannelFindTest::IndexesOutOfRangeAreSaid()
{
    FindFixture f;
    QVERIFY(f.ready);
    f.view->SelectChannelRow(3);
    using Command = void (CZanEditorView::*)();
    for (Command command : {&CZanEditorView::MoveChannel, &CZanEditorView::SwitchChannel, &CZanEditorView::GoTo}) {
        for (int answer : {9999, 25, 0, -3}) {
            f.context.prompt.messages.clear();
            CAnotherIndexDlg::SetNextAnswer(answer);
            (f.view.get()->*command)();
            QCOMPARE(f.context.prompt.messages.size(), 1);
            QVERIFY2(f.context.prompt.messages[0].contains(QStringLiteral("out of range")),
                     qPrintable(f.context.prompt.messages[0]));
            QVERIFY(f.context.prompt.messages[0].contains(QStringLiteral("1 to 24")));
        }
    }
    // A find hides rows but the range stays the whole list's.
    f.view->SetFindText(QStringLiteral("zebre"));
    f.view->SelectChannelRow(0);
    f.context.prompt.messages.clear();
    CAnotherIndexDlg::SetNextAnswer(24);
    f.view->MoveChannel();
    QVERIFY(f.context.prompt.messages.isEmpty());
    QCOMPARE(f.context.stack.count(), 1);
    // Cancel says nothing; the row's own Index is no move and says nothing either.
    CAnotherIndexDlg::SetNextAnswer(std::nullopt);
    f.view->MoveChannel();
    QCOMPARE(f.view->SelectedRows(), std::vector<int>({2}));  // the moved one, now last of all
    CAnotherIndexDlg::SetNextAnswer(24);
    f.view->SwitchChannel();
    QVERIFY(f.context.prompt.messages.isEmpty());
    QCOMPARE(f.context.stack.count(), 1);
}

void ChannelFindTest::GoToSelectsByRealIndex()
{
    FindFixture f;
    QVERIFY(f.ready);
    CAnotherIndexDlg::SetNextAnswer(10);
    f.view->GoTo();
    QCOMPARE(f.view->SelectedRows(), std::vector<int>({9}));
    // In a found list: a found channel is selected where it is shown.
    f.view->SetFindText(QStringLiteral("zebre"));
    CAnotherIndexDlg::SetNextAnswer(f.listRowOf[f.K(f.c)] + 1);
    f.view->GoTo();
    QCOMPARE(f.view->SelectedRows(), std::vector<int>({2}));
    // A hidden one ends the find, and is selected in the whole list.
    CAnotherIndexDlg::SetNextAnswer(f.listRowOf[f.K(f.d)] + 1);
    f.view->GoTo();
    QVERIFY(f.view->FindField()->text().isEmpty());
    QCOMPARE(f.view->RowCount(), 24);
    QCOMPARE(f.view->SelectedRows(), std::vector<int>({f.listRowOf[f.K(f.d)]}));
    QCOMPARE(f.context.stack.count(), 0);
}

void ChannelFindTest::KeysFocusClearAndEnterTheList()
{
    FindFixture f;
    QVERIFY(f.ready);
    QVERIFY(f.ShowActive());
    QLineEdit *field = f.view->FindField();
    QVERIFY(!field->accessibleName().isEmpty());
    QVERIFY(!field->placeholderText().isEmpty());
    QCOMPARE(f.view->Action(CZanEditorView::IdFind)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    QCOMPARE(f.view->Action(CZanEditorView::IdGoTo)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));

    QTest::keyClick(f.view->Table(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(field->hasFocus());
    // Minus and plus are text here, not Move Up / Move Down.
    QTest::keyClicks(field, QStringLiteral("-zebre+"));
    QCOMPARE(field->text(), QStringLiteral("-zebre+"));
    QCOMPARE(f.context.stack.count(), 0);
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(field->text().isEmpty());
    QCOMPARE(f.view->RowCount(), 24);

    QTest::keyClicks(field, QStringLiteral("tele"));
    QCOMPARE(f.view->RowCount(), 2);
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(f.view->Table()->hasFocus());
    QCOMPARE(f.view->SelectedRows(), std::vector<int>({0}));
    // The channel keys work on the match at once: "+" moves it below the next found one.
    QTest::keyClick(f.view->Table(), Qt::Key_Plus);
    QCOMPARE(f.context.stack.count(), 1);
    QCOMPARE(f.RowKey(0), f.K(f.b));
}

void ChannelFindTest::TypingJumpsByNameWhateverTheColumn()
{
    FindFixture f;
    QVERIFY(f.ready);
    QVERIFY(f.ShowActive());
    QTableView *table = f.view->Table();
    // The current cell is in a column other than the name's.
    table->setCurrentIndex(f.view->Model()->index(0, f.view->Model()->columnCount() - 1));
    const int wait = QApplication::keyboardInputInterval() + 100;
    QTest::qWait(wait);
    TypeText(table, QString::fromUtf8("z\xC3\xA8"));  // "zè" finds "Zèbre" and "ZEBRE"
    QCOMPARE(f.view->SelectedRows(), std::vector<int>({f.listRowOf[f.K(f.a)]}));
    QTest::qWait(wait);
    TypeText(table, QStringLiteral("ZE"));
    QCOMPARE(f.view->SelectedRows(), std::vector<int>({f.listRowOf[f.K(f.b)]}));
    QTest::qWait(wait);
    TypeText(table, QStringLiteral("le z"));
    QCOMPARE(f.view->SelectedRows(), std::vector<int>({f.listRowOf[f.K(f.c)]}));
    // Nothing starts so: the selection stays.
    QTest::qWait(wait);
    TypeText(table, QStringLiteral("qqq"));
    QCOMPARE(f.view->SelectedRows(), std::vector<int>({f.listRowOf[f.K(f.c)]}));
    QCOMPARE(f.context.stack.count(), 0);
}

void ChannelFindTest::OpenedFileShowsAllServicesAndCounts()
{
    GuiTest::FrameFixture frame;
    const QString path = frame.Data(QStringLiteral("db.usd"));
    GeneratorOptions options;
    options.satellites = 2;
    options.transponders = 4;
    options.programs = 30;
    options.seed = 5;
    QVERIFY(GuiTest::GenerateDatabase(path, options));
    QVERIFY(frame.frame->OpenDatabaseFile(path));
    CNavigator *nav = frame.frame->GetNavigator();
    CZanEditorView *list = frame.frame->GetChannelList();
    QCOMPARE(nav->currentItem(), nav->AllServicesItem());
    QCOMPARE(list->RowCount(), 30);
    auto *counts = frame.frame->statusBar()->findChild<QLabel *>(QStringLiteral("channelCounts"));
    QVERIFY(counts);
    int tv = 0;
    int radio = 0;
    for (int slot = 0; slot < frame.frame->Database().Count(KindProgram); ++slot) {
        const auto type = GetNodeIntByName(frame.frame->Database(), KindProgram, slot, "Service Type", DeclarationOrder);
        tv += type == 1;
        radio += type == 0;
    }
    QCOMPARE(counts->text(), QStringLiteral("30 channels · %1 TV · %2 radio").arg(tv).arg(radio));
    list->SetFindText(QStringLiteral("no such channel"));
    QCOMPARE(counts->text(), QStringLiteral("0 of 30 channels"));
    // The menu bar's Channel menu carries Find and Go to with their keys.
    auto *menu = frame.frame->menuBar()->findChild<QMenu *>(QStringLiteral("channelMenu"));
    QVERIFY(menu);
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << action->text();
    QVERIFY2(texts.contains(QStringLiteral("Find...\tCtrl+F")), qPrintable(texts.join(QLatin1Char('|'))));
    QVERIFY(texts.contains(QStringLiteral("Go to Index...\tCtrl+G")));
    // Closing empties the list and its counts.
    QVERIFY(frame.frame->CloseDatabaseFile());
    QVERIFY(counts->text().isEmpty());
}

QTEST_MAIN(ChannelFindTest)
#include "ChannelFindTest.moc"
