// The Find Duplicates window: shows the groups, lets the user choose who stays, deletes the rest.
#include "lists/CDuplicatesDlg.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "document/DatabaseEditCommand.h"
#include "document/EditorContext.h"
#include "document/ListEditPlans.h"
#include "lists/DuplicateRows.h"
#include "widgets/ScriptedModal.h"

#include "ui_CDuplicatesDlg.h"

namespace {

std::function<void(CDuplicatesDlg &)> g_testScript;

constexpr int kGroupRole = Qt::UserRole;
constexpr int kMemberRole = Qt::UserRole + 1;  // -1 on a group row

constexpr KeepRule kRules[] = {KeepRule::FirstInOrder, KeepRule::MostGroups, KeepRule::FreeToAir};

int Column(DuplicateColumn column) { return int(column); }

} // namespace

CDuplicatesDlg::CDuplicatesDlg(const CChannelDb &db, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDuplicatesDlg>()), m_programs(CollectProgramFacts(db))
{
    m_ui->setupUi(this);
    m_channelNumbers = ChannelNumbers(m_programs);
    for (const KeepRule rule : kRules)
        m_ui->keepRuleCombo->addItem(KeepRuleTitle(rule));
    m_ui->groupTree->setColumnCount(Column(DuplicateColumn::Count));
    m_ui->groupTree->setHeaderLabels(DuplicateColumnTitles());
    m_ui->groupTree->setColumnWidth(Column(DuplicateColumn::Keep), 110);
    m_ui->groupTree->setColumnWidth(Column(DuplicateColumn::Name), 180);
    m_ui->groupTree->setColumnWidth(Column(DuplicateColumn::Transponder), 180);
    m_groups = FindDuplicates(m_programs, Rule());
    FillTree();
    connect(m_ui->keepRuleCombo, &QComboBox::currentIndexChanged, this, [this] { ApplyRule(); });
    connect(m_ui->groupTree, &QTreeWidget::itemChanged, this, &CDuplicatesDlg::OnItemChanged);
    connect(m_ui->keepSelectedButton, &QPushButton::clicked, this, &CDuplicatesDlg::KeepSelected);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &CDuplicatesDlg::accept);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &CDuplicatesDlg::reject);
    m_ui->deleteButton->setEnabled(!m_groups.empty());
    m_ui->keepSelectedButton->setEnabled(!m_groups.empty());
}

CDuplicatesDlg::~CDuplicatesDlg() = default;

QComboBox *CDuplicatesDlg::KeepRuleCombo() const { return m_ui->keepRuleCombo; }
QTreeWidget *CDuplicatesDlg::GroupTree() const { return m_ui->groupTree; }
QPushButton *CDuplicatesDlg::KeepSelectedButton() const { return m_ui->keepSelectedButton; }
QPushButton *CDuplicatesDlg::DeleteButton() const { return m_ui->deleteButton; }
QPushButton *CDuplicatesDlg::CloseButton() const { return m_ui->closeButton; }

void CDuplicatesDlg::SetTestScript(std::function<void(CDuplicatesDlg &)> script) { g_testScript = std::move(script); }

KeepRule CDuplicatesDlg::Rule() const
{
    const int index = m_ui->keepRuleCombo->currentIndex();
    return index >= 0 && index < int(std::size(kRules)) ? kRules[index] : KeepRule::FirstInOrder;
}

void CDuplicatesDlg::FillTree()
{
    m_filling = true;
    m_ui->groupTree->clear();
    for (size_t g = 0; g < m_groups.size(); ++g) {
        const DuplicateGroup &group = m_groups[g];
        auto *groupItem = new QTreeWidgetItem({DuplicateGroupTitle(group, int(g) + 1)});
        groupItem->setData(0, kGroupRole, int(g));
        groupItem->setData(0, kMemberRole, -1);
        m_ui->groupTree->addTopLevelItem(groupItem);
        groupItem->setFirstColumnSpanned(true);
        for (size_t m = 0; m < group.members.size(); ++m) {
            const DuplicateMember &member = group.members[m];
            const auto number = m_channelNumbers.find(member.program.slot);
            auto *item = new QTreeWidgetItem(DuplicateMemberTexts(
                member, number == m_channelNumbers.end() ? 0 : number->second, int(m) == group.keep));
            item->setData(0, kGroupRole, int(g));
            item->setData(0, kMemberRole, int(m));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Column(DuplicateColumn::Keep), int(m) == group.keep ? Qt::Checked : Qt::Unchecked);
            groupItem->addChild(item);
        }
        groupItem->setExpanded(true);
    }
    m_ui->summaryLabel->setText(DuplicateSummary(m_groups));
    m_filling = false;
}

void CDuplicatesDlg::ApplyRule()
{
    const KeepRule rule = Rule();
    for (size_t g = 0; g < m_groups.size(); ++g) {
        m_groups[g].keep = ChooseKeeper(m_groups[g], rule);
        UpdateKeepTexts(int(g));
    }
}

void CDuplicatesDlg::SetKeeper(int group, int member)
{
    if (group < 0 || size_t(group) >= m_groups.size() || member < 0
        || size_t(member) >= m_groups[size_t(group)].members.size())
        return;
    m_groups[size_t(group)].keep = member;
    UpdateKeepTexts(group);
}

void CDuplicatesDlg::UpdateKeepTexts(int group)
{
    QTreeWidgetItem *groupItem = m_ui->groupTree->topLevelItem(group);
    if (!groupItem)
        return;
    m_filling = true;
    const int keep = m_groups[size_t(group)].keep;
    for (int m = 0; m < groupItem->childCount(); ++m) {
        QTreeWidgetItem *item = groupItem->child(m);
        const QStringList texts = DuplicateMemberTexts(m_groups[size_t(group)].members[size_t(m)], 0, m == keep);
        item->setText(Column(DuplicateColumn::Keep), texts[Column(DuplicateColumn::Keep)]);
        item->setCheckState(Column(DuplicateColumn::Keep), m == keep ? Qt::Checked : Qt::Unchecked);
    }
    m_filling = false;
}

void CDuplicatesDlg::KeepSelected()
{
    const QList<QTreeWidgetItem *> selected = m_ui->groupTree->selectedItems();
    if (selected.isEmpty())
        return;
    const int member = selected.first()->data(0, kMemberRole).toInt();
    if (member >= 0)
        SetKeeper(selected.first()->data(0, kGroupRole).toInt(), member);
}

void CDuplicatesDlg::OnItemChanged(QTreeWidgetItem *item, int column)
{
    if (m_filling || column != Column(DuplicateColumn::Keep))
        return;
    const int group = item->data(0, kGroupRole).toInt();
    const int member = item->data(0, kMemberRole).toInt();
    if (member < 0)
        return;
    // A group keeps exactly one member: ticking one moves the tick, clearing the kept one puts it back.
    if (item->checkState(column) == Qt::Checked)
        SetKeeper(group, member);
    else
        UpdateKeepTexts(group);
}

bool CDuplicatesDlg::Run(EditorContext &context, QWidget *parent)
{
    CDuplicatesDlg dialog(context.Database(), parent);
    ExecOrScript(dialog, g_testScript);
    if (dialog.result() != QDialog::Accepted || dialog.Groups().empty())
        return false;
    const DuplicateRemoval removal = PlanDuplicateRemoval(dialog.Groups());
    std::optional<DatabaseEdit> edit = DuplicateRemovalEdit(context.Database(), removal);
    if (!edit || edit->Empty()) {
        context.Prompt().ShowMessage(QStringLiteral("The duplicates could not be removed; nothing was changed."),
                                     QString(), UserPrompt::Exclamation);
        return false;
    }
    return DatabaseEditCommand::Push(context.Document(), QStringLiteral("Delete Duplicates"), std::move(*edit));
}
