// The file dialog through the real Qt dialog: types offered, preselection, the proposed name, the
// name box after a type change, the option mapping and the test hook.
#include "widgets/CFileDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QString kOpenFilter = QStringLiteral("User DataBase File(*.usd)|Default DataBase File(*.ddf)");
const QString kSaveAsFilter = QStringLiteral("User Database(*.usd)|Default Database(*.ddf)");
const QString kUploadFilter = QStringLiteral("User Database(*.udf)|Default Database(*.ddf)|All Code(*.abs)|");
const FileDialogOptions kOpenOptions = HideReadOnly | OverwritePrompt;
const FileDialogOptions kSaveAsOptions = HideReadOnly | OverwritePrompt | CreatePrompt;

QLineEdit *NameBox(QFileDialog &dialog)
{
    return dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

QString NameBoxText(QFileDialog &dialog)
{
    QLineEdit *box = NameBox(dialog);
    return box ? box->text() : QStringLiteral("<no name box>");
}

// Picks a type as the user does: arrow keys on the dialog's file-type box.
bool PickType(QFileDialog &dialog, int index)
{
    auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    if (!types || index < 0 || index >= types->count())
        return false;
    types->setFocus();
    for (int guard = 0; types->currentIndex() != index && guard < 64; ++guard)
        QTest::keyClick(types, types->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    return types->currentIndex() == index;
}

// The folder of a chosen path, symbolic links resolved; the file itself need not exist.
QString FolderOf(const QString &path)
{
    return QDir(QFileInfo(path).absolutePath()).canonicalPath();
}

bool TouchFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

// Answers the modal dialog Run() is about to show: accept or reject it once it is up.
void AnswerModalDialog(bool accept, int triesLeft = 200)
{
    QTimer::singleShot(10, [accept, triesLeft] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            if (triesLeft > 0)
                AnswerModalDialog(accept, triesLeft - 1);
            return;
        }
        if (accept)
            static_cast<QDialog *>(dialog)->accept();  // QFileDialog::accept checks the name box
        else
            dialog->reject();
    });
}

} // namespace

class FileDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void fileOpenProposesWildcardAndFollowsType();
    void presetTypeDoesNotRewriteTheName();
    void saveAsStartsFromTheCurrentFile();
    void dotInFolderName();
    void extensionMatchKeepsCase();
    void trailingBarAddsNoType();
    void typeChangeRule_data();
    void typeChangeRule();
    void entriesBeyondThePlainForm();
    void optionsMapOntoQtDialog();
    void testHookAnswersInOrderAndRecords();
    void runShowsDialogWithoutAnswer();
    void startsInTheLastFolderUsed();

private:
    QTemporaryDir m_settings;
};

void FileDialogTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
}

void FileDialogTest::init()
{
    CFileExportDialog::ResetTestHook();
}

void FileDialogTest::fileOpenProposesWildcardAndFollowsType()
{
    CFileDlg dialog(FileDialogKind::Open, QString(), kOpenOptions, kOpenFilter);
    QCOMPARE(dialog.nameFilters(),
             QStringList({"User DataBase File(*.usd)", "Default DataBase File(*.ddf)"}));
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("User DataBase File(*.usd)"));
    QCOMPARE(NameBoxText(dialog), QStringLiteral("*.usd"));
    QCOMPARE(dialog.CurrentType(), 1);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(PickType(dialog, 1));
    QCOMPARE(NameBoxText(dialog), QStringLiteral("*.ddf"));
    QCOMPARE(dialog.CurrentType(), 2);
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("Default DataBase File(*.ddf)"));

    QVERIFY(PickType(dialog, 0));
    QCOMPARE(NameBoxText(dialog), QStringLiteral("*.usd"));
    QCOMPARE(dialog.CurrentType(), 1);
}

void FileDialogTest::presetTypeDoesNotRewriteTheName()
{
    // Choosing a type from code is not a user's type change: neither name nor current type move.
    CFileDlg open(FileDialogKind::Open, QString(), kOpenOptions, kOpenFilter);
    open.selectNameFilter(QStringLiteral("Default DataBase File(*.ddf)"));
    QCOMPARE(NameBoxText(open), QStringLiteral("*.usd"));
    QCOMPARE(open.CurrentType(), 1);

    // Qt rewrites a save dialog's suffix whenever a type is applied; the preselection must not
    // reach the initial name that way.
    CFileDlg save(FileDialogKind::Save, QStringLiteral("archive.tar.ddf"), kSaveAsOptions, kSaveAsFilter);
    QCOMPARE(NameBoxText(save), QStringLiteral("archive.tar.ddf"));
    QCOMPARE(save.CurrentType(), 1);  // ".tar.ddf" is no type's extension
    QCOMPARE(save.selectedNameFilter(), QStringLiteral("User Database(*.usd)"));
}

void FileDialogTest::saveAsStartsFromTheCurrentFile()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString folder = root.filePath(QStringLiteral("db"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/list.usd");
    QVERIFY(TouchFile(path));

    CFileDlg dialog(FileDialogKind::Save, path, kSaveAsOptions, kSaveAsFilter);
    QCOMPARE(dialog.Request().fileName, path);
    // Qt's dialog shows the folder in its path box and the file name in the name box.
    QCOMPARE(QDir(dialog.directory()).canonicalPath(), QDir(folder).canonicalPath());
    QCOMPARE(NameBoxText(dialog), QStringLiteral("list.usd"));
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("User Database(*.usd)"));
    QCOMPARE(dialog.CurrentType(), 1);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(PickType(dialog, 1));
    QCOMPARE(NameBoxText(dialog), QStringLiteral("list.ddf"));
    QCOMPARE(dialog.CurrentType(), 2);
    QCOMPARE(FolderOf(dialog.selectedFiles().value(0)), QDir(folder).canonicalPath());
    QCOMPARE(QFileInfo(dialog.selectedFiles().value(0)).fileName(), QStringLiteral("list.ddf"));

    // The same path typed into the name box in the other platform's form.
    CFileDlg typed(FileDialogKind::Save, QStringLiteral("D:\\db\\list.usd"), kSaveAsOptions, kSaveAsFilter);
    QCOMPARE(NameBoxText(typed), QStringLiteral("D:\\db\\list.usd"));
    QCOMPARE(typed.CurrentType(), 1);
    QVERIFY(PickType(typed, 1));
    QCOMPARE(NameBoxText(typed), QStringLiteral("D:\\db\\list.ddf"));
}

void FileDialogTest::dotInFolderName()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString folder = root.filePath(QStringLiteral("old.db"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(TouchFile(folder + QStringLiteral("/list.usd")));
    QVERIFY(TouchFile(folder + QStringLiteral("/list.ddf")));

    // The folder's dot neither hides the file's extension nor loses the folder on a type change.
    CFileDlg dialog(FileDialogKind::Save, folder + QStringLiteral("/list.usd"), kSaveAsOptions, kSaveAsFilter);
    QCOMPARE(dialog.CurrentType(), 1);
    QVERIFY(PickType(dialog, 1));
    QCOMPARE(NameBoxText(dialog), QStringLiteral("list.ddf"));
    QCOMPARE(FolderOf(dialog.selectedFiles().value(0)), QDir(folder).canonicalPath());

    CFileDlg ddf(FileDialogKind::Save, folder + QStringLiteral("/list.ddf"), kSaveAsOptions, kSaveAsFilter);
    QCOMPARE(ddf.CurrentType(), 2);
    QCOMPARE(ddf.selectedNameFilter(), QStringLiteral("Default Database(*.ddf)"));

    // A full path typed into the name box keeps its folder as well.
    QLineEdit *box = NameBox(dialog);
    QVERIFY(box);
    box->setText(QStringLiteral("D:\\old.db\\list.ddf"));
    QVERIFY(PickType(dialog, 0));
    QCOMPARE(box->text(), QStringLiteral("D:\\old.db\\list.usd"));
    box->setText(folder + QStringLiteral("/list.usd"));
    QVERIFY(PickType(dialog, 1));
    QCOMPARE(box->text(), folder + QStringLiteral("/list.ddf"));

    CFileDlg windowsForm(FileDialogKind::Save, QStringLiteral("D:\\old.db\\list.ddf"), kSaveAsOptions, kSaveAsFilter);
    QCOMPARE(windowsForm.CurrentType(), 2);
}

void FileDialogTest::extensionMatchKeepsCase()
{
    CFileDlg upper(FileDialogKind::Save, QStringLiteral("D:\\db\\LIST.DDF"), kSaveAsOptions, kSaveAsFilter);
    QCOMPARE(upper.CurrentType(), 1);
    QCOMPARE(upper.selectedNameFilter(), QStringLiteral("User Database(*.usd)"));
    QCOMPARE(NameBoxText(upper), QStringLiteral("D:\\db\\LIST.DDF"));
    QCOMPARE(upper.Request().preselectedType, 1);

    CFileDlg usd(FileDialogKind::Save, QStringLiteral("LIST.USD"), kSaveAsOptions, kSaveAsFilter);
    QCOMPARE(usd.CurrentType(), 1);
    QCOMPARE(NameBoxText(usd), QStringLiteral("LIST.USD"));

    CFileDlg lower(FileDialogKind::Save, QStringLiteral("D:\\db\\list.ddf"), kSaveAsOptions, kSaveAsFilter);
    QCOMPARE(lower.CurrentType(), 2);
    QCOMPARE(lower.selectedNameFilter(), QStringLiteral("Default Database(*.ddf)"));
    QCOMPARE(lower.Request().preselectedType, 2);
}

void FileDialogTest::trailingBarAddsNoType()
{
    CFileDlg upload(FileDialogKind::Save, QString(), kOpenOptions, kUploadFilter);
    QCOMPARE(upload.nameFilters(), QStringList({"User Database(*.udf)", "Default Database(*.ddf)", "All Code(*.abs)"}));
    auto *types = upload.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    QCOMPARE(types->count(), 3);
    QCOMPARE(NameBoxText(upload), QStringLiteral("*.udf"));
    QVERIFY(PickType(upload, 2));
    QCOMPARE(NameBoxText(upload), QStringLiteral("*.abs"));
    QCOMPARE(upload.CurrentType(), 3);

    CFileDlg codeOnly(FileDialogKind::Save, QString(), kOpenOptions, QStringLiteral("All Code(*.abs)|"));
    QCOMPARE(codeOnly.nameFilters(), QStringList({"All Code(*.abs)"}));
    QCOMPARE(NameBoxText(codeOnly), QStringLiteral("*.abs"));
}

void FileDialogTest::typeChangeRule_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    for (const bool save : {false, true}) {
        const char *mode = save ? "save" : "open";
        auto row = [&](const char *name, const char *typed, const char *expected) {
            QTest::addRow("%s: %s", mode, name) << save << QString::fromUtf8(typed) << QString::fromUtf8(expected);
        };
        row("empty box", "", "*.ddf");
        row("no dot", "list", "list.ddf");
        row("cut at the first dot", "list.backup.usd", "list.ddf");
        row("other extension", "notes.txt", "notes.ddf");
        row("wildcard", "*.usd", "*.ddf");
        row("trailing dot", "list.", "list.ddf");
        row("folder only", "/tmp/some.dir/", "/tmp/some.dir/*.ddf");
    }
}

void FileDialogTest::typeChangeRule()
{
    QFETCH(bool, save);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    CFileDlg dialog(save ? FileDialogKind::Save : FileDialogKind::Open, QString(), kSaveAsOptions, kSaveAsFilter);
    QLineEdit *box = NameBox(dialog);
    QVERIFY(box);
    box->setText(typed);
    QVERIFY(PickType(dialog, 1));
    QCOMPARE(box->text(), expected);
    QCOMPARE(dialog.CurrentType(), 2);
}

void FileDialogTest::entriesBeyondThePlainForm()
{
    // A quoted entry keeps its "|"; an entry without a pattern offers no type; an entry whose
    // pattern is not at its end still filters by it and still drives the name.
    CFileDlg dialog(FileDialogKind::Open, QString(), kOpenOptions,
                    QStringLiteral("\"Old|New(*.on)\"|No pattern here|Plain(*.pl) files"));
    QCOMPARE(dialog.nameFilters(), QStringList({"Old|New(*.on)", "Plain(*.pl) files (*.pl)"}));
    QCOMPARE(NameBoxText(dialog), QStringLiteral("*.on"));
    QVERIFY(PickType(dialog, 1));
    QCOMPARE(NameBoxText(dialog), QStringLiteral("*.pl"));
    QCOMPARE(dialog.CurrentType(), 2);
    QVERIFY(PickType(dialog, 0));
    QCOMPARE(NameBoxText(dialog), QStringLiteral("*.on"));
}

void FileDialogTest::optionsMapOntoQtDialog()
{
    CFileDlg open(FileDialogKind::Open, QString(), kOpenOptions, kOpenFilter);
    QVERIFY(open.testOption(QFileDialog::DontUseNativeDialog));
    QCOMPARE(open.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(open.fileMode(), QFileDialog::ExistingFile);
    QVERIFY(!open.testOption(QFileDialog::ReadOnly));  // "hide read-only" is not Qt's ReadOnly

    CFileDlg save(FileDialogKind::Save, QString(), kSaveAsOptions, kSaveAsFilter);
    QVERIFY(save.testOption(QFileDialog::DontUseNativeDialog));
    QCOMPARE(save.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(save.fileMode(), QFileDialog::AnyFile);
    QVERIFY(!save.testOption(QFileDialog::DontConfirmOverwrite));

    CFileDlg quiet(FileDialogKind::Save, QString(), HideReadOnly, kSaveAsFilter);
    QVERIFY(quiet.testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(quiet.Request().options, FileDialogOptions(HideReadOnly));
}

void FileDialogTest::testHookAnswersInOrderAndRecords()
{
    QVERIFY(!CFileExportDialog::LastRequest().has_value());
    CFileExportDialog::SetNextAnswer(QStringLiteral("/data/first.usd"));
    CFileExportDialog::SetNextAnswer(std::nullopt);
    CFileExportDialog::SetNextAnswer(QStringLiteral("/data/third.abs"));
    QCOMPARE(CFileExportDialog::PendingAnswers(), 3);

    CFileDlg open(FileDialogKind::Open, QString(), kOpenOptions, kOpenFilter);
    QCOMPARE(open.Run(), QStringLiteral("/data/first.usd"));
    std::optional<FileDialogRequest> request = CFileExportDialog::LastRequest();
    QVERIFY(request.has_value());
    QCOMPARE(request->kind, FileDialogKind::Open);
    QCOMPARE(request->options, kOpenOptions);
    QCOMPARE(request->shortFilter, kOpenFilter);
    QCOMPARE(request->typeTexts, QStringList({"User DataBase File(*.usd)", "Default DataBase File(*.ddf)"}));
    QCOMPARE(request->fileName, QStringLiteral("*.usd"));
    QCOMPARE(request->preselectedType, 1);

    CFileDlg saveAs(FileDialogKind::Save, QStringLiteral("D:\\db\\list.ddf"), kSaveAsOptions, kSaveAsFilter);
    QCOMPARE(saveAs.Run(), QString());  // answered as Cancel
    request = CFileExportDialog::LastRequest();
    QVERIFY(request.has_value());
    QCOMPARE(request->kind, FileDialogKind::Save);
    QCOMPARE(request->fileName, QStringLiteral("D:\\db\\list.ddf"));
    QCOMPARE(request->preselectedType, 2);

    CFileDlg upload(FileDialogKind::Save, QString(), kOpenOptions, kUploadFilter);
    QCOMPARE(upload.Run(), QStringLiteral("/data/third.abs"));
    QCOMPARE(CFileExportDialog::LastRequest()->typeTexts.size(), 3);
    QCOMPARE(CFileExportDialog::PendingAnswers(), 0);

    CFileExportDialog::SetNextAnswer(QStringLiteral("/left/over.usd"));
    CFileExportDialog::ResetTestHook();
    QCOMPARE(CFileExportDialog::PendingAnswers(), 0);
    QVERIFY(!CFileExportDialog::LastRequest().has_value());
}

void FileDialogTest::runShowsDialogWithoutAnswer()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString path = root.filePath(QStringLiteral("chosen.usd"));
    QVERIFY(TouchFile(path));

    CFileDlg cancelled(FileDialogKind::Open, QString(), kOpenOptions, kOpenFilter);
    AnswerModalDialog(false);
    QCOMPARE(cancelled.Run(), QString());
    QVERIFY(CFileExportDialog::LastRequest().has_value());

    CFileDlg accepted(FileDialogKind::Open, path, kOpenOptions, kOpenFilter);
    AnswerModalDialog(true);
    const QString chosen = accepted.Run();
    QCOMPARE(QFileInfo(chosen).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
    QCOMPARE(CFileExportDialog::LastRequest()->fileName, path);
}

void FileDialogTest::startsInTheLastFolderUsed()
{
    QTemporaryDir first;
    QTemporaryDir second;
    QVERIFY(first.isValid() && second.isValid());
    // A chosen file's folder is where the next dialog without a folder of its own starts.
    CFileExportDialog::SetNextAnswer(first.filePath(QStringLiteral("a.usd")));
    CFileDlg(FileDialogKind::Open, QString(), kOpenOptions, kOpenFilter).Run();
    CFileDlg open(FileDialogKind::Open, QString(), kOpenOptions, kOpenFilter);
    QCOMPARE(QFileInfo(open.directory().absolutePath()).canonicalFilePath(), QFileInfo(first.path()).canonicalFilePath());
    CFileExportDialog::SetNextAnswer(std::nullopt);
    open.Run();
    QCOMPARE(CFileExportDialog::LastRequest()->directory, QFileInfo(first.path()).absoluteFilePath());
    // Cancel leaves the last folder; a name with a folder starts in that folder.
    CFileDlg saveAs(FileDialogKind::Save, second.filePath(QStringLiteral("b.ddf")), kOpenOptions, kOpenFilter);
    CFileExportDialog::SetNextAnswer(second.filePath(QStringLiteral("b.ddf")));
    saveAs.Run();
    QCOMPARE(CFileExportDialog::LastRequest()->directory, QFileInfo(second.path()).absoluteFilePath());
    QCOMPARE(CFileExportDialog::LastFolder(), QFileInfo(second.path()).absoluteFilePath());
}

QTEST_MAIN(FileDialogTest)
#include "FileDialogTest.moc"
