// The program's file dialog on Qt's own (non-native) QFileDialog, so that the type-change rule
// runs on filterSelected the same way on every desktop.
#include "widgets/CFileExportDialog.h"

#include <QSettings>
#include <QFileInfo>
#include <QComboBox>
#include <QLineEdit>

#include <deque>

namespace {

std::deque<std::optional<QString>> &QueuedAnswers()
{
    static std::deque<std::optional<QString>> answers;
    return answers;
}

std::optional<FileDialogRequest> &RecordedRequest()
{
    static std::optional<FileDialogRequest> request;
    return request;
}

// Qt reads a type's patterns from a trailing "(...)"; an entry whose pattern is not at its end
// gets the pattern repeated there so that Qt still filters by it.
QString QtTypeText(const ShortFilterEntry &entry)
{
    const QString tail = QLatin1Char('(') + entry.pattern + QLatin1Char(')');
    if (entry.description.endsWith(tail))
        return entry.description;
    return entry.description + QLatin1Char(' ') + tail;
}

} // namespace

// How the option flags meet Qt's dialog:
// - HideReadOnly: Qt's dialog has no "open as read-only" check box, so it is always hidden.
// - OverwritePrompt: in a save dialog Qt asks before replacing an existing file; without the flag
//   DontConfirmOverwrite is set. An open dialog overwrites nothing, so there it changes nothing.
// - CreatePrompt: Qt offers no "create this file?" question. A save dialog exists to name a new
//   file, so it returns the name as Qt's save dialogs do; an open dialog accepts only files that
//   exist (Qt says so when the name is not found), so it never hands back a file to create.
CFileExportDialog::CFileExportDialog(FileDialogKind kind, const QString &initialName,
                                     FileDialogOptions options, const QString &shortFilter,
                                     QWidget *parent)
    : QFileDialog(parent)
    , m_entries(ParseShortFilter(shortFilter))
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    if (kind == FileDialogKind::Save) {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        setOption(QFileDialog::DontConfirmOverwrite, !options.testFlag(OverwritePrompt));
    } else {
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFile);
    }

    m_request.kind = kind;
    m_request.options = options;
    m_request.shortFilter = shortFilter;
    for (const ShortFilterEntry &entry : m_entries)
        m_request.typeTexts.append(QtTypeText(entry));
    m_request.fileName = InitialFileName(initialName, m_entries);
    m_request.preselectedType = initialName.isEmpty() ? 1 : PreselectedFileType(initialName, m_entries);
    m_currentType = m_request.preselectedType;

    // Types first: in save mode Qt rewrites the name box's suffix whenever a type is applied, and
    // the initial name must reach the box unchanged.
    if (!m_request.typeTexts.isEmpty()) {
        setNameFilters(m_request.typeTexts);
        selectNameFilter(m_request.typeTexts.at(m_currentType - 1));
    }
    // A name with a folder starts there; any other choice starts where the last one ended.
    const QFileInfo initial(initialName);
    m_request.directory = initialName.contains(QLatin1Char('/')) || initialName.contains(QLatin1Char('\\'))
                              ? initial.absolutePath()
                              : LastFolder();
    if (!m_request.directory.isEmpty())
        setDirectory(m_request.directory);
    selectFile(m_request.fileName);

    // Emitted only when the user picks a type (not for selectNameFilter above).
    connect(this, &QFileDialog::filterSelected, this, &CFileExportDialog::OnTypeSelected);
}

QString CFileExportDialog::Run()
{
    RecordedRequest() = m_request;
    QString chosen;
    std::deque<std::optional<QString>> &answers = QueuedAnswers();
    if (!answers.empty()) {
        chosen = answers.front().value_or(QString());
        answers.pop_front();
    } else if (exec() == QDialog::Accepted) {
        const QStringList files = selectedFiles();
        chosen = files.isEmpty() ? QString() : files.front();
    }
    if (!chosen.isEmpty())
        QSettings().setValue(QStringLiteral("Recent Files/LastFolder"), QFileInfo(chosen).absolutePath());
    return chosen;
}

QString CFileExportDialog::LastFolder()
{
    const QString folder = QSettings().value(QStringLiteral("Recent Files/LastFolder")).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void CFileExportDialog::SetNextAnswer(std::optional<QString> answer)
{
    QueuedAnswers().push_back(std::move(answer));
}

int CFileExportDialog::PendingAnswers()
{
    return int(QueuedAnswers().size());
}

std::optional<FileDialogRequest> CFileExportDialog::LastRequest()
{
    return RecordedRequest();
}

void CFileExportDialog::ResetTestHook()
{
    QueuedAnswers().clear();
    RecordedRequest().reset();
}

void CFileExportDialog::OnTypeSelected(const QString &typeText)
{
    const int index = SelectedTypeIndex(typeText);
    if (index < 0)
        return;
    m_currentType = index + 1;
    // The rule reads the type's own text; it equals the combo's text except for an entry whose
    // pattern had to be repeated at its end (QtTypeText).
    const QString &description = m_entries[size_t(index)].description;
    if (QLineEdit *nameBox = NameBox()) {
        nameBox->setText(NameAfterTypeChange(nameBox->text(), description));
        return;
    }
    const QStringList files = selectedFiles();
    selectFile(NameAfterTypeChange(files.isEmpty() ? QString() : FileNamePart(files.front()), description));
}

QLineEdit *CFileExportDialog::NameBox() const
{
    return findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

int CFileExportDialog::SelectedTypeIndex(const QString &typeText) const
{
    // The combo's position tells two types with the same text apart; the text is the fallback.
    if (const auto *types = findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))) {
        const int index = types->currentIndex();
        if (index >= 0 && size_t(index) < m_entries.size() && types->itemText(index) == typeText)
            return index;
    }
    return int(m_request.typeTexts.indexOf(typeText));
}
