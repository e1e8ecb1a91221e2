// The "Group Rename" dialog: edits the name of one favourite group.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

namespace Ui {
class CGroupRenameDlg;
}

class CGroupRenameDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CGroupRenameDlg(QWidget *parent = nullptr);
    ~CGroupRenameDlg() override;

    // Set before the dialog opens; after OK the name the user confirmed.
    void SetName(const QString &name);
    QString Name() const { return m_name; }

    // Runs the dialog modally on the current name: the new name after OK, nullopt after Cancel.
    static std::optional<QString> Ask(const QString &currentName, QWidget *parent);

    // Test hook: the next Ask returns this answer (nullopt = Cancel) without showing anything, and
    // remembers the name it would have shown.
    static void SetNextAnswer(std::optional<QString> answer);
    static bool AnswerPending();
    static void ClearNextAnswer();
    static QString LastShownName();

public Q_SLOTS:
    void accept() override;

private:
    std::unique_ptr<Ui::CGroupRenameDlg> m_ui;
    QString m_name;
};
