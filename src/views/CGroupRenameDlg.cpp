// The "Group Rename" dialog: an empty name is refused by staying open.
#include "views/CGroupRenameDlg.h"

#include "ui_CGroupRenameDlg.h"

namespace {

bool g_answerPending = false;
std::optional<QString> g_nextAnswer;
QString g_lastShownName;

} // namespace

CGroupRenameDlg::CGroupRenameDlg(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CGroupRenameDlg>())
{
    m_ui->setupUi(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, &CGroupRenameDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CGroupRenameDlg::reject);
}

CGroupRenameDlg::~CGroupRenameDlg() = default;

void CGroupRenameDlg::SetName(const QString &name)
{
    m_name = name;
    m_ui->nameEdit->setText(name);
    m_ui->nameEdit->selectAll();
}

void CGroupRenameDlg::accept()
{
    const QString name = m_ui->nameEdit->text();
    if (name.isEmpty())
        return;
    m_name = name;
    QDialog::accept();
}

std::optional<QString> CGroupRenameDlg::Ask(const QString &currentName, QWidget *parent)
{
    g_lastShownName = currentName;
    if (g_answerPending) {
        g_answerPending = false;
        return g_nextAnswer;
    }
    CGroupRenameDlg dialog(parent);
    dialog.SetName(currentName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Name();
}

void CGroupRenameDlg::SetNextAnswer(std::optional<QString> answer)
{
    g_answerPending = true;
    g_nextAnswer = std::move(answer);
}

bool CGroupRenameDlg::AnswerPending()
{
    return g_answerPending;
}

void CGroupRenameDlg::ClearNextAnswer()
{
    g_answerPending = false;
    g_nextAnswer.reset();
}

QString CGroupRenameDlg::LastShownName()
{
    return g_lastShownName;
}
