// The "Favorite Group Edit" dialog: shows FavoriteGroupEditForm's rows and gives them back on OK.
#include "editors/CFavoriteGroupEditDlg.h"

#include "document/NavNode.h"
#include "layout/FieldDesc.h"
#include "document/DatabaseEditCommand.h"
#include "document/RecordedEdit.h"
#include "document/EditorContext.h"
#include "widgets/ScriptedModal.h"

#include "ui_CFavoriteGroupEditDlg.h"

#include <QUndoStack>

namespace {

std::function<void(CFavoriteGroupEditDlg &)> g_testScript;

constexpr int kNameColumn = 0;
constexpr int kMemberColumn = 1;

} // namespace

CFavoriteGroupEditDlg::CFavoriteGroupEditDlg(EditorContext &context, const NavNode &node, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFavoriteGroupEditDlg>()), m_context(context), m_group(node.index)
{
    m_ui->setupUi(this);
    m_ui->programList->setColumnWidth(kNameColumn, 200);
    m_ui->programList->setColumnWidth(kMemberColumn, 60);
    connect(m_ui->addButton, &QPushButton::clicked, this, [this] { MarkSelected(true); });
    connect(m_ui->removeButton, &QPushButton::clicked, this, [this] { MarkSelected(false); });
    connect(m_ui->okButton, &QPushButton::clicked, this, &CFavoriteGroupEditDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CFavoriteGroupEditDlg::reject);
    FillRows();
}

CFavoriteGroupEditDlg::~CFavoriteGroupEditDlg() = default;

QTreeWidget *CFavoriteGroupEditDlg::List() const { return m_ui->programList; }
QPushButton *CFavoriteGroupEditDlg::AddButton() const { return m_ui->addButton; }
QPushButton *CFavoriteGroupEditDlg::RemoveButton() const { return m_ui->removeButton; }
QPushButton *CFavoriteGroupEditDlg::OkButton() const { return m_ui->okButton; }
QPushButton *CFavoriteGroupEditDlg::CancelButton() const { return m_ui->cancelButton; }

void CFavoriteGroupEditDlg::SetTestScript(std::function<void(CFavoriteGroupEditDlg &)> script)
{
    g_testScript = std::move(script);
}

void CFavoriteGroupEditDlg::FillRows()
{
    const std::vector<FavoriteGroupRow> rows = FavoriteGroupEditForm::LoadRows(m_context.Database(), m_group);
    QList<QTreeWidgetItem *> items;
    items.reserve(qsizetype(rows.size()));
    for (const FavoriteGroupRow &row : rows) {
        auto *item = new QTreeWidgetItem({row.name, FavoriteGroupEditForm::MemberText(row.member)});
        item->setData(kNameColumn, kSlotRole, row.slot);
        items.append(item);
    }
    m_ui->programList->addTopLevelItems(items);
}

void CFavoriteGroupEditDlg::MarkSelected(bool member)
{
    const QString text = FavoriteGroupEditForm::MemberText(member);
    for (QTreeWidgetItem *item : m_ui->programList->selectedItems())
        item->setText(kMemberColumn, text);
}

std::vector<FavoriteGroupRow> CFavoriteGroupEditDlg::Rows() const
{
    std::vector<FavoriteGroupRow> rows;
    const int count = m_ui->programList->topLevelItemCount();
    rows.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem *item = m_ui->programList->topLevelItem(i);
        rows.push_back(FavoriteGroupRow{item->data(kNameColumn, kSlotRole).toInt(), item->text(kNameColumn),
                                        FavoriteGroupEditForm::IsMemberText(item->text(kMemberColumn))});
    }
    return rows;
}

bool CFavoriteGroupEditDlg::Run(EditorContext &context, NavNode &node, QWidget *parent)
{
    // Only a group node has a bit to edit.
    if (node.kind != NavFavouriteGroup || !FavoriteGroupEditForm::IsGroupNumber(node.index))
        return false;
    CFavoriteGroupEditDlg dialog(context, node, parent);
    ExecOrScript(dialog, g_testScript);
    if (dialog.result() != QDialog::Accepted)
        return false;

    const std::vector<FavoriteGroupRow> rows = dialog.Rows();
    CChannelDb &db = context.Database();
    std::vector<FavoriteGroupRecordEdit> edits = FavoriteGroupEditForm::WriteRows(db, dialog.Group(), rows);
    // Every row is written back; OK on a database with programs marks the file modified even when
    // no bit changed, so the command is pushed then too (its undo restores nothing but the state).
    if (rows.empty())
        return true;
    const QString text = QStringLiteral("Edit Group");
    if (edits.empty())
        return DatabaseEditCommand::Push(context.Document(), text, {});
    std::vector<RecordedWrite> writes;
    writes.reserve(edits.size());
    for (FavoriteGroupRecordEdit &edit : edits)
        writes.push_back({KindProgram, edit.slot, false, std::move(edit.before)});
    return PushRecordedEdit(context.Document(), text, writes);
}
