// The Import Field Changes window: the CSV's planned changes and refusals, and Apply.
#include "lists/CFieldImportDlg.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "document/DatabaseEditCommand.h"
#include "document/EditorContext.h"
#include "document/ListEditPlans.h"
#include "lists/FieldImportRows.h"
#include "widgets/CFileDlg.h"
#include "widgets/ScriptedModal.h"

#include "ui_CFieldImportDlg.h"

#include <QDir>
#include <QFile>

namespace {

std::function<void(CFieldImportDlg &)> g_testScript;

void Fill(QTreeWidget *tree, const QStringList &titles, const std::vector<QStringList> &rows)
{
    tree->setColumnCount(int(titles.size()));
    tree->setHeaderLabels(titles);
    QList<QTreeWidgetItem *> items;
    items.reserve(qsizetype(rows.size()));
    for (const QStringList &row : rows)
        items.append(new QTreeWidgetItem(row));
    tree->addTopLevelItems(items);
}

} // namespace

const QString CFieldImportDlg::kImportFilter = QStringLiteral("CSV list(*.csv)");

CFieldImportDlg::CFieldImportDlg(const CChannelDb &db, const QString &path, FieldImport import, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFieldImportDlg>()), m_import(std::move(import))
{
    m_ui->setupUi(this);
    m_ui->fileLabel->setText(QStringLiteral("Changes from %1").arg(QDir::toNativeSeparators(path)));
    Fill(m_ui->changeTree, FieldChangeColumnTitles(), FieldChangeRows(CollectProgramFacts(db), m_import));
    m_ui->changeTree->setColumnWidth(int(FieldChangeColumn::Channel), 220);
    m_ui->changeTree->setColumnWidth(int(FieldChangeColumn::Field), 140);
    Fill(m_ui->refusedTree, RefusedColumnTitles(), RefusedRows(m_import));
    m_ui->summaryLabel->setText(FieldImportSummary(m_import));
    m_ui->applyButton->setEnabled(!m_import.changes.empty());
    connect(m_ui->applyButton, &QPushButton::clicked, this, &CFieldImportDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CFieldImportDlg::reject);
}

CFieldImportDlg::~CFieldImportDlg() = default;

QTreeWidget *CFieldImportDlg::ChangeTree() const { return m_ui->changeTree; }
QTreeWidget *CFieldImportDlg::RefusedTree() const { return m_ui->refusedTree; }
QPushButton *CFieldImportDlg::ApplyButton() const { return m_ui->applyButton; }
QPushButton *CFieldImportDlg::CancelButton() const { return m_ui->cancelButton; }
QString CFieldImportDlg::Summary() const { return m_ui->summaryLabel->text(); }

void CFieldImportDlg::SetTestScript(std::function<void(CFieldImportDlg &)> script) { g_testScript = std::move(script); }

bool CFieldImportDlg::Run(EditorContext &context, QWidget *parent)
{
    CFileDlg fileDialog(FileDialogKind::Open, QString(), HideReadOnly, kImportFilter, parent);
    fileDialog.setWindowTitle(QStringLiteral("Import Field Changes"));
    const QString path = fileDialog.Run();
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        context.Prompt().ShowMessage(QStringLiteral("\"%1\" cannot be read: %2")
                                         .arg(QDir::toNativeSeparators(path), file.errorString()),
                                     QString(), UserPrompt::Exclamation);
        return false;
    }
    FieldImport import = PlanFieldImport(context.Database(), file.readAll());
    if (!import.Ok()) {
        context.Prompt().ShowMessage(QStringLiteral("The changes cannot be imported; nothing was changed.\n%1")
                                         .arg(import.error),
                                     QString(), UserPrompt::Exclamation);
        return false;
    }

    CFieldImportDlg dialog(context.Database(), path, std::move(import), parent);
    ExecOrScript(dialog, g_testScript);
    if (dialog.result() != QDialog::Accepted || dialog.Import().changes.empty())
        return false;
    std::optional<DatabaseEdit> edit = FieldChangesEdit(context.Database(), dialog.Import().changes);
    if (!edit || edit->Empty()) {
        context.Prompt().ShowMessage(QStringLiteral("The changes could not be applied; nothing was changed."),
                                     QString(), UserPrompt::Exclamation);
        return false;
    }
    return DatabaseEditCommand::Push(context.Document(), QStringLiteral("Import Field Changes"), std::move(*edit));
}
