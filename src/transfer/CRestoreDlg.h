// Transfer → Restore From Backup…: the backups of a folder, the choice of one to download.
#pragma once

#include "link/BackupCatalog.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QTableWidget;

namespace Ui {
class CRestoreDlg;
}

// Lists BackupCatalog::List of a folder, newest first and the newest selected. Restore (enabled
// for a backup that walks with good CRCs) accepts the dialog; the caller downloads Chosen().
class CRestoreDlg : public QDialog
{
    Q_OBJECT

public:
    CRestoreDlg(const QString &folder, QWidget *parent = nullptr);
    ~CRestoreDlg() override;

    // Lists the backups of folder (also what Other Folder… does with the folder chosen).
    void ShowFolder(const QString &folder);
    const QString &Folder() const { return m_folder; }
    // The selected backup, if any.
    std::optional<BackupEntry> Chosen() const;

    QTableWidget *Table() const;
    QLabel *FolderLabel() const;

private:
    void ChooseFolder();
    void UpdateRestoreButton();

    std::unique_ptr<Ui::CRestoreDlg> m_ui;
    QString m_folder;
    std::vector<BackupEntry> m_entries;
};
