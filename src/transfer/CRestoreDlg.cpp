// CRestoreDlg: filling the backup list and the choice of another folder.
#include "transfer/CRestoreDlg.h"

#include "transfer/BackupListRows.h"
#include "widgets/CFileDlg.h"

#include "ui_CRestoreDlg.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>

CRestoreDlg::CRestoreDlg(const QString &folder, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CRestoreDlg>())
{
    m_ui->setupUi(this);
    QTableWidget *table = m_ui->backupTable;
    const QStringList titles = BackupColumnTitles();
    table->setColumnCount(int(titles.size()));
    table->setHorizontalHeaderLabels(titles);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    connect(table, &QTableWidget::itemSelectionChanged, this, &CRestoreDlg::UpdateRestoreButton);
    connect(table, &QTableWidget::cellDoubleClicked, this, [this] {
        if (m_ui->restoreButton->isEnabled())
            accept();
    });
    connect(m_ui->folderButton, &QPushButton::clicked, this, &CRestoreDlg::ChooseFolder);
    connect(m_ui->restoreButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    ShowFolder(folder);
}

CRestoreDlg::~CRestoreDlg() = default;

QTableWidget *CRestoreDlg::Table() const
{
    return m_ui->backupTable;
}

QLabel *CRestoreDlg::FolderLabel() const
{
    return m_ui->folderLabel;
}

void CRestoreDlg::ShowFolder(const QString &folder)
{
    m_folder = folder;
    m_entries = BackupCatalog::List(folder);
    QTableWidget *table = m_ui->backupTable;
    table->clearContents();
    table->setRowCount(int(m_entries.size()));
    for (int row = 0; row < int(m_entries.size()); ++row) {
        const QStringList texts = BackupRowTexts(m_entries[size_t(row)]);
        for (int column = 0; column < int(texts.size()); ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            item->setToolTip(m_entries[size_t(row)].path);
            table->setItem(row, column, item);
        }
    }
    table->resizeColumnsToContents();
    m_ui->folderLabel->setText(BackupFolderText(folder, m_entries.size()));
    if (!m_entries.empty())
        table->selectRow(0);
    UpdateRestoreButton();
}

std::optional<BackupEntry> CRestoreDlg::Chosen() const
{
    const QList<QTableWidgetItem *> selected = m_ui->backupTable->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const int row = selected.first()->row();
    if (row < 0 || row >= int(m_entries.size()))
        return std::nullopt;
    return m_entries[size_t(row)];
}

void CRestoreDlg::UpdateRestoreButton()
{
    const std::optional<BackupEntry> chosen = Chosen();
    // A backup whose CRCs fail would put damaged data into the receiver: it cannot be chosen.
    m_ui->restoreButton->setEnabled(chosen && chosen->valid);
}

void CRestoreDlg::ChooseFolder()
{
    // The program's file dialog chooses files; the folder is the one of the backup picked there.
    CFileDlg chooser(FileDialogKind::Open, QDir(m_folder).filePath(QStringLiteral("*.abs")), HideReadOnly,
                     QStringLiteral("Backup File(*.abs)"), this);
    const QString path = chooser.Run();
    if (path.isEmpty())
        return;
    const QFileInfo chosen(path);
    ShowFolder(chosen.absolutePath());
    for (int row = 0; row < int(m_entries.size()); ++row) {
        if (QFileInfo(m_entries[size_t(row)].path) == chosen)
            m_ui->backupTable->selectRow(row);
    }
}
