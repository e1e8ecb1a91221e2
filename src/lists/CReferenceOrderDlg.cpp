// The Apply Order From window: the reference file, the preview of the matching, and Apply.
#include "lists/CReferenceOrderDlg.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/ReferenceList.h"
#include "document/DatabaseEditCommand.h"
#include "document/EditorContext.h"
#include "document/ListEditPlans.h"
#include "lists/ReferenceOrderRows.h"
#include "widgets/CFileDlg.h"
#include "widgets/ScriptedModal.h"

#include "ui_CReferenceOrderDlg.h"

#include <QDir>

namespace {

std::function<void(CReferenceOrderDlg &)> g_testScript;

} // namespace

const QString CReferenceOrderDlg::kReferenceFilter = QStringLiteral(
    "User DataBase File(*.usd)|Default DataBase File(*.ddf)|UDF DataBase File(*.udf)|CSV list(*.csv)|JSON list(*.json)");

CReferenceOrderDlg::CReferenceOrderDlg(const CChannelDb &db, const QString &referencePath,
                                       std::vector<ProgramFacts> reference, QWidget *parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CReferenceOrderDlg>()),
      m_ours(CollectProgramFacts(db)),
      m_reference(std::move(reference))
{
    m_ui->setupUi(this);
    m_matching = MatchReference(m_ours, m_reference);
    m_ui->referenceLabel->setText(
        QStringLiteral("Reference: %1 (%2 programs)").arg(QDir::toNativeSeparators(referencePath)).arg(m_reference.size()));
    m_ui->previewTree->setColumnCount(int(ReferenceColumn::Count));
    m_ui->previewTree->setHeaderLabels(ReferenceColumnTitles());
    m_ui->previewTree->setColumnWidth(int(ReferenceColumn::ReferenceName), 200);
    m_ui->previewTree->setColumnWidth(int(ReferenceColumn::OurName), 200);
    FillPreview();
    m_ui->summaryLabel->setText(ReferenceSummary(m_matching));
    m_ui->applyButton->setEnabled(m_matching.matchedCount > 0);
    connect(m_ui->applyButton, &QPushButton::clicked, this, &CReferenceOrderDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CReferenceOrderDlg::reject);
}

CReferenceOrderDlg::~CReferenceOrderDlg() = default;

QTreeWidget *CReferenceOrderDlg::PreviewTree() const { return m_ui->previewTree; }
QCheckBox *CReferenceOrderDlg::CopyGroupsCheck() const { return m_ui->copyGroupsCheck; }
QPushButton *CReferenceOrderDlg::ApplyButton() const { return m_ui->applyButton; }
QPushButton *CReferenceOrderDlg::CancelButton() const { return m_ui->cancelButton; }
QString CReferenceOrderDlg::Summary() const { return m_ui->summaryLabel->text(); }

void CReferenceOrderDlg::SetTestScript(std::function<void(CReferenceOrderDlg &)> script)
{
    g_testScript = std::move(script);
}

void CReferenceOrderDlg::FillPreview()
{
    const std::vector<ReferencePreviewRow> rows = ReferencePreviewRows(m_ours, m_reference, m_matching);
    QList<QTreeWidgetItem *> items;
    items.reserve(qsizetype(rows.size()));
    const QColor unmatched = palette().color(QPalette::Disabled, QPalette::Text);
    for (const ReferencePreviewRow &row : rows) {
        auto *item = new QTreeWidgetItem(row.cells);
        if (row.kind != ReferenceRowKind::Matched) {
            for (int c = 0; c < int(ReferenceColumn::Count); ++c)
                item->setForeground(c, unmatched);
        }
        items.append(item);
    }
    m_ui->previewTree->addTopLevelItems(items);
}

bool CReferenceOrderDlg::Run(EditorContext &context, QWidget *parent)
{
    CFileDlg fileDialog(FileDialogKind::Open, QString(), HideReadOnly, kReferenceFilter, parent);
    fileDialog.setWindowTitle(QStringLiteral("Apply Order From"));
    const QString path = fileDialog.Run();
    if (path.isEmpty())
        return false;
    ReferenceList reference = ReadReferenceFile(path, context.Layouts(), context.Prompt());
    if (!reference.Ok()) {
        context.Prompt().ShowMessage(QStringLiteral("The reference cannot be used.\n%1").arg(reference.error), QString(),
                                     UserPrompt::Exclamation);
        return false;
    }

    CReferenceOrderDlg dialog(context.Database(), path, std::move(reference.programs), parent);
    ExecOrScript(dialog, g_testScript);
    if (dialog.result() != QDialog::Accepted)
        return false;

    CChannelDb &db = context.Database();
    const ReferenceMatching &matching = dialog.Matching();
    std::vector<GroupBitsChange> groupChanges;
    if (dialog.CopyGroupsCheck()->isChecked())
        groupChanges = ReferenceGroupChanges(dialog.Ours(), dialog.Reference(), matching);
    const SlotOrder order = SlotOrderOfLiveSequence(db, KindProgram, matching.newSequence);
    std::optional<DatabaseEdit> edit = ReorderEdit(db, groupChanges, order);
    if (!edit) {
        context.Prompt().ShowMessage(QStringLiteral("The new order could not be applied; nothing was changed."),
                                     QString(), UserPrompt::Exclamation);
        return false;
    }
    if (edit->Empty()) {
        context.Prompt().ShowMessage(QStringLiteral("The programs are already in the reference's order."), QString(),
                                     UserPrompt::Information);
        return false;
    }
    return DatabaseEditCommand::Push(context.Document(), QStringLiteral("Apply Order"), std::move(*edit));
}
