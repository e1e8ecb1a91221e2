// The editor's file safety: the .bak of a session's first save, File → Revert to Backup, and
// ".udf" images opened and saved in their own form.
#include "gui/GuiTestSupport.h"

#include "core/SafetySettings.h"
#include "database/SessionBackup.h"
#include "views/CNavigator.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

using namespace GuiTest;

namespace {

QByteArray Bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool Generate(const QString &path, int programs)
{
    GeneratorOptions options;
    options.satellites = 2;
    options.transponders = 6;
    options.programs = programs;
    return GenerateDatabase(path, options);
}

// The channel list's rows (every column but the number), top to bottom, under "All Services".
QStringList Channels(CMainFrame &frame)
{
    frame.GetNavigator()->setCurrentItem(frame.GetNavigator()->AllServicesItem());
    QAbstractItemModel *model = frame.GetChannelList()->Model();
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 1; column < model->columnCount(); ++column)
            cells << model->data(model->index(row, column)).toString();
        names << cells.join(QLatin1Char('|'));
    }
    return names;
}

// One undoable edit: the first two channels change places.
bool SwapFirstTwo(CMainFrame &frame)
{
    frame.GetNavigator()->setCurrentItem(frame.GetNavigator()->AllServicesItem());
    return frame.GetChannelList()->SwapChannelRows(0, 1);
}

void SetKeepBak(bool keep)
{
    SafetySettings safety = SafetySettings::Load();
    safety.keepBak = keep;
    safety.Save();
}

} // namespace

class FileBackupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(!BundledCacheBytes().isEmpty(), "the bundled template must parse"); }

    // The first save keeps the file as it was; later saves of the session do not touch the .bak;
    // Revert to Backup asks about edits, then shows the .bak's content as the open file, modified.
    void theFirstSaveKeepsABakAndRevertBringsItBack()
    {
        FrameFixture f;
        const QString path = f.Data("mine.usd");
        QVERIFY(Generate(path, 30));
        const QByteArray original = Bytes(path);
        const QString bak = SessionBackup::BakPathFor(path);
        QAction *revert = f.frame->Action(FrameCommand::FileRevert);

        QVERIFY(f.frame->OpenDatabaseFile(path));
        const QStringList before = Channels(*f.frame);
        QVERIFY(before.size() >= 2);
        QVERIFY(!revert->isEnabled());
        QVERIFY(SwapFirstTwo(*f.frame));
        QVERIFY(f.frame->SaveDatabaseFile(path));
        QVERIFY(Bytes(bak) == original);
        QVERIFY(revert->isEnabled());
        const QByteArray firstSave = Bytes(path);
        QVERIFY(firstSave != original);

        QVERIFY(SwapFirstTwo(*f.frame));
        QVERIFY(SwapFirstTwo(*f.frame));
        QVERIFY(f.frame->SaveDatabaseFile(path));
        QVERIFY(Bytes(bak) == original); // not the first save of the session
        const QByteArray secondSave = Bytes(path);

        // Declined: the edit stays.
        QVERIFY(SwapFirstTwo(*f.frame));
        const QStringList edited = Channels(*f.frame);
        f.prompt.answers = {UserPrompt::No};
        revert->trigger();
        QCOMPARE(f.prompt.questions.size(), 1);
        QVERIFY(f.prompt.questions[0].contains(QStringLiteral("\"mine.usd.bak\"")));
        QCOMPARE(Channels(*f.frame), edited);

        f.prompt.answers = {UserPrompt::Yes};
        revert->trigger();
        QCOMPARE(f.prompt.questions.size(), 2);
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QCOMPARE(Channels(*f.frame), before);
        QCOMPARE(f.frame->CurrentPath(), path);
        QVERIFY(f.frame->IsModified());
        QVERIFY(Bytes(path) == secondSave); // the file itself is untouched until saved
        QVERIFY(f.frame->isWindowModified());

        // Saving writes the backup's content; the file it replaces becomes the .bak.
        QVERIFY(f.frame->SaveDatabaseFile(path));
        QVERIFY(!f.frame->IsModified());
        QVERIFY(Bytes(bak) == secondSave);
        QVERIFY(f.frame->CloseDatabaseFile());
        QVERIFY(f.frame->OpenDatabaseFile(path));
        QCOMPARE(Channels(*f.frame), before);
    }

    // KeepBak off: no .bak and nothing to revert to. A .bak newer than the file is replaced only
    // when the user says so.
    void theSettingAndANewerBakAreRespected()
    {
        FrameFixture f;
        const QString path = f.Data("other.ddf");
        QVERIFY(Generate(path, 20));
        const QString bak = SessionBackup::BakPathFor(path);

        SetKeepBak(false);
        QVERIFY(f.frame->OpenDatabaseFile(path));
        QVERIFY(SwapFirstTwo(*f.frame));
        QVERIFY(f.frame->SaveDatabaseFile(path));
        QVERIFY(!QFileInfo::exists(bak));
        QVERIFY(!f.frame->Action(FrameCommand::FileRevert)->isEnabled());
        QVERIFY(f.frame->CloseDatabaseFile());

        SetKeepBak(true);
        const QByteArray mine = QByteArrayLiteral("a copy the user made by hand");
        QVERIFY(Write(bak, mine));
        QFile bakFile(bak);
        QVERIFY(bakFile.open(QIODevice::ReadWrite));
        QVERIFY(bakFile.setFileTime(QFileInfo(path).lastModified().addSecs(60), QFileDevice::FileModificationTime));
        bakFile.close();
        QVERIFY(f.frame->OpenDatabaseFile(path));
        QVERIFY(SwapFirstTwo(*f.frame));
        f.prompt.answers = {UserPrompt::No};
        QVERIFY(f.frame->SaveDatabaseFile(path));
        QCOMPARE(f.prompt.questions.size(), 1);
        QVERIFY(f.prompt.questions[0].contains(QStringLiteral("is newer than")));
        QVERIFY(Bytes(bak) == mine);
    }

    // A ".udf" (a user database, then erased flash) opens from File → Open, saves in its own
    // form and size, and a database that no longer fits is refused with the file kept.
    void aUdfOpensAndSavesInItsOwnForm()
    {
        FrameFixture f;
        const QString usd = f.Data("source.usd");
        QVERIFY(Generate(usd, 40));
        QByteArray image = Bytes(usd);
        image.append(QByteArray(0x3000, char(0xFF)));
        const QString path = f.Data("mine.udf");
        QVERIFY(Write(path, image));

        CFileExportDialog::SetNextAnswer(path);
        f.frame->Action(FrameCommand::FileOpen)->trigger();
        QVERIFY(CFileExportDialog::LastRequest()->shortFilter.contains(QStringLiteral("(*.udf)")));
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QVERIFY(f.frame->IsFileOpen());
        QCOMPARE(f.frame->CurrentExtension(), QStringLiteral("udf"));
        QVERIFY(f.frame->Action(FrameCommand::FileSave)->isEnabled());
        QStringList expected = Channels(*f.frame);
        QVERIFY(SwapFirstTwo(*f.frame));
        expected.swapItemsAt(0, 1);
        QVERIFY(f.frame->SaveDatabaseFile(path));
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        const QByteArray saved = Bytes(path);
        QCOMPARE(saved.size(), image.size());
        QVERIFY(saved.endsWith(QByteArray(0x1000, char(0xFF))));
        QVERIFY(saved != image);
        QVERIFY(Bytes(SessionBackup::BakPathFor(path)) == image);
        QVERIFY(f.frame->CloseDatabaseFile());
        QVERIFY(f.frame->OpenDatabaseFile(path));
        QCOMPARE(Channels(*f.frame), expected);

        // The file on disk became a smaller image (another upload): the open database no longer
        // fits its size, and the save leaves it as it is.
        const QString small = f.Data("small.usd");
        QVERIFY(Generate(small, 3));
        const QByteArray smallImage = Bytes(small);
        QVERIFY(Write(path, smallImage));
        QVERIFY(SwapFirstTwo(*f.frame));
        QVERIFY(!f.frame->SaveDatabaseFile(path));
        QCOMPARE(f.prompt.messages.size(), 1);
        QVERIFY2(f.prompt.messages[0].contains(QStringLiteral("does not fit")), qPrintable(f.prompt.messages[0]));
        QVERIFY(Bytes(path) == smallImage);
        QVERIFY(f.frame->IsModified());
    }

    // Save As from a ".udf" keeps the image's size; to a ".udf" from another kind it is refused
    // and the open file stays open.
    void saveAsFromAndToAUdf()
    {
        FrameFixture f;
        const QString usd = f.Data("source.usd");
        QVERIFY(Generate(usd, 20));
        QByteArray image = Bytes(usd);
        image.append(QByteArray(0x800, char(0xFF)));
        const QString path = f.Data("mine.udf");
        QVERIFY(Write(path, image));
        QVERIFY(f.frame->OpenDatabaseFile(path));
        const QStringList channels = Channels(*f.frame);

        const QString copy = f.Data("copy.udf");
        CFileExportDialog::SetNextAnswer(copy);
        f.frame->FileSaveAs();
        QVERIFY(CFileExportDialog::LastRequest()->shortFilter.startsWith(QStringLiteral("User Database Image(*.udf)")));
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QCOMPARE(QFileInfo(copy).size(), image.size());
        const QString asUsd = f.Data("copy.usd");
        CFileExportDialog::SetNextAnswer(asUsd);
        f.frame->FileSaveAs();
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QVERIFY(!Bytes(asUsd).endsWith(QByteArray(16, char(0xFF)))); // the erased flash is not a tail
        QVERIFY(f.frame->CloseDatabaseFile());
        QVERIFY(f.frame->OpenDatabaseFile(asUsd));
        QCOMPARE(Channels(*f.frame), channels);

        CFileExportDialog::SetNextAnswer(f.Data("new.udf"));
        f.frame->FileSaveAs();
        QCOMPARE(f.prompt.messages, QStringList({"Not Support Save \".usd\" As \".udf\" File"}));
        QVERIFY(f.frame->IsFileOpen());
        QVERIFY(!QFileInfo::exists(f.Data("new.udf")));
    }
};

QTEST_MAIN(FileBackupTest)
#include "FileBackupTest.moc"
