// The Apply Order From window: how another list's programs match ours, and taking its order.
#pragma once

#include "database/ReferenceMatcher.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class CChannelDb;
class EditorContext;
class QCheckBox;
class QPushButton;
class QTreeWidget;

namespace Ui {
class CReferenceOrderDlg;
}

class CReferenceOrderDlg : public QDialog
{
    Q_OBJECT

public:
    // The file dialog's types: the databases of the same template and the export's lists.
    static const QString kReferenceFilter;

    CReferenceOrderDlg(const CChannelDb &db, const QString &referencePath, std::vector<ProgramFacts> reference,
                       QWidget *parent = nullptr);
    ~CReferenceOrderDlg() override;

    // Asks for the reference file, reads and matches it and shows the preview; Apply gives the
    // matched programs the reference's order at the front (the others keep theirs behind them),
    // with the reference's favourite memberships when ticked, as one undoable command. True when
    // that command was pushed.
    static bool Run(EditorContext &context, QWidget *parent);

    // Test hook: when set, Run calls the script instead of exec(); the script reads the preview,
    // works the controls and calls accept() or reject(). An empty function restores exec().
    static void SetTestScript(std::function<void(CReferenceOrderDlg &)> script);

    QTreeWidget *PreviewTree() const;
    QCheckBox *CopyGroupsCheck() const;
    QPushButton *ApplyButton() const;
    QPushButton *CancelButton() const;
    QString Summary() const;

    const std::vector<ProgramFacts> &Ours() const { return m_ours; }
    const std::vector<ProgramFacts> &Reference() const { return m_reference; }
    const ReferenceMatching &Matching() const { return m_matching; }

private:
    void FillPreview();

    std::unique_ptr<Ui::CReferenceOrderDlg> m_ui;
    std::vector<ProgramFacts> m_ours;
    std::vector<ProgramFacts> m_reference;
    ReferenceMatching m_matching;
};
