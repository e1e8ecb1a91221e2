// The Import Field Changes window: what a CSV would change, what it refuses, and applying it.
#pragma once

#include "database/FieldChangeImport.h"

#include <QDialog>

#include <functional>
#include <memory>

class CChannelDb;
class EditorContext;
class QPushButton;
class QTreeWidget;

namespace Ui {
class CFieldImportDlg;
}

class CFieldImportDlg : public QDialog
{
    Q_OBJECT

public:
    static const QString kImportFilter;

    CFieldImportDlg(const CChannelDb &db, const QString &path, FieldImport import, QWidget *parent = nullptr);
    ~CFieldImportDlg() override;

    // Asks for the CSV, plans the import and shows it; Apply writes the accepted changes as one
    // undoable command. A file that cannot be used is named in a message and changes nothing.
    // True when the command was pushed.
    static bool Run(EditorContext &context, QWidget *parent);

    // Test hook: when set, Run calls the script instead of exec(). An empty function restores exec().
    static void SetTestScript(std::function<void(CFieldImportDlg &)> script);

    QTreeWidget *ChangeTree() const;
    QTreeWidget *RefusedTree() const;
    QPushButton *ApplyButton() const;
    QPushButton *CancelButton() const;
    QString Summary() const;
    const FieldImport &Import() const { return m_import; }

private:
    std::unique_ptr<Ui::CFieldImportDlg> m_ui;
    FieldImport m_import;
};
