// The "Swich" prompt: asks for the 1-based row number Move Channel and Switch Channel go to.
#pragma once

#include <QDialog>

#include <memory>
#include <optional>

class UserPrompt;

namespace Ui {
class CAnotherIndexDlg;
}

class CAnotherIndexDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAnotherIndexDlg(UserPrompt &prompt, QWidget *parent = nullptr);
    ~CAnotherIndexDlg() override;

    // The number taken over by OK; 0 until then.
    int Value() const { return m_value; }

    // Runs the dialog modally: the entered number after OK, nullopt after Cancel. A title other
    // than empty replaces the dialog's own (Go to asks with the same dialog).
    static std::optional<int> Ask(UserPrompt &prompt, QWidget *parent, const QString &title = QString());

    // Test hook: the next Ask returns this answer (nullopt = Cancel) without showing anything.
    static void SetNextAnswer(std::optional<int> answer);
    // True while an answer set by SetNextAnswer has not been taken yet.
    static bool AnswerPending();
    static void ClearNextAnswer();

public Q_SLOTS:
    void accept() override;

private:
    std::unique_ptr<Ui::CAnotherIndexDlg> m_ui;
    UserPrompt &m_prompt;
    int m_value = 0;
};
