// The Statistics window: StatisticsRows in a tree of sections.
#include "lists/CStatisticsDlg.h"

#include "lists/StatisticsRows.h"
#include "widgets/ScriptedModal.h"

#include "ui_CStatisticsDlg.h"

namespace {

std::function<void(CStatisticsDlg &)> g_testScript;

} // namespace

CStatisticsDlg::CStatisticsDlg(const CChannelDb &db, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CStatisticsDlg>())
{
    m_ui->setupUi(this);
    m_ui->statisticsTree->setColumnWidth(0, 260);
    QTreeWidgetItem *section = nullptr;
    for (const StatisticsRow &row : StatisticsRows(ComputeStatistics(db))) {
        if (!section || section->text(0) != row.section) {
            section = new QTreeWidgetItem(m_ui->statisticsTree, {row.section});
            section->setFirstColumnSpanned(true);
            // The long per-transponder list starts folded.
            section->setExpanded(row.section != QStringLiteral("Transponders"));
        }
        new QTreeWidgetItem(section, {row.label, row.value});
    }
    connect(m_ui->closeButton, &QPushButton::clicked, this, &CStatisticsDlg::accept);
}

CStatisticsDlg::~CStatisticsDlg() = default;

QTreeWidget *CStatisticsDlg::StatisticsTree() const { return m_ui->statisticsTree; }

void CStatisticsDlg::SetTestScript(std::function<void(CStatisticsDlg &)> script) { g_testScript = std::move(script); }

void CStatisticsDlg::Run(const CChannelDb &db, QWidget *parent)
{
    CStatisticsDlg dialog(db, parent);
    ExecOrScript(dialog, g_testScript);
}
