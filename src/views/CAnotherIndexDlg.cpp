// The "Swich" prompt: one signed integer, refused with the usual message when it is not one.
#include "views/CAnotherIndexDlg.h"

#include "ui_CAnotherIndexDlg.h"

#include "core/IntegerEntry.h"
#include "core/UserPrompt.h"

namespace {

bool g_answerPending = false;
std::optional<int> g_nextAnswer;

} // namespace

CAnotherIndexDlg::CAnotherIndexDlg(UserPrompt &prompt, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CAnotherIndexDlg>()), m_prompt(prompt)
{
    m_ui->setupUi(this);
    m_ui->indexEdit->setText(QString::number(m_value));
    m_ui->indexEdit->selectAll();
    connect(m_ui->okButton, &QPushButton::clicked, this, &CAnotherIndexDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CAnotherIndexDlg::reject);
}

CAnotherIndexDlg::~CAnotherIndexDlg() = default;

void CAnotherIndexDlg::accept()
{
    const std::optional<int32_t> value = ParseSignedEntry(m_ui->indexEdit->text());
    if (!value) {
        // The dialog stays open with the entry selected, so the user can type it again.
        m_prompt.ShowMessage(QStringLiteral("Please enter an integer."), QString(), UserPrompt::Exclamation);
        m_ui->indexEdit->setFocus();
        m_ui->indexEdit->selectAll();
        return;
    }
    m_value = *value;
    QDialog::accept();
}

std::optional<int> CAnotherIndexDlg::Ask(UserPrompt &prompt, QWidget *parent, const QString &title)
{
    if (g_answerPending) {
        g_answerPending = false;
        return g_nextAnswer;
    }
    CAnotherIndexDlg dialog(prompt, parent);
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Value();
}

void CAnotherIndexDlg::SetNextAnswer(std::optional<int> answer)
{
    g_answerPending = true;
    g_nextAnswer = answer;
}

bool CAnotherIndexDlg::AnswerPending()
{
    return g_answerPending;
}

void CAnotherIndexDlg::ClearNextAnswer()
{
    g_answerPending = false;
    g_nextAnswer.reset();
}
