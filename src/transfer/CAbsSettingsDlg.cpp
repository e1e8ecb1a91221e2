// CAbsSettingsDlg: the two database boxes, never both cleared.
#include "transfer/CAbsSettingsDlg.h"

#include "ui_CAbsSettingsDlg.h"

CAbsSettingsDlg::CAbsSettingsDlg(bool loadDefaultDb, bool loadUserDb, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CAbsSettingsDlg>())
{
    m_ui->setupUi(this);
    m_ui->defaultDbBox->setChecked(loadDefaultDb);
    m_ui->userDbBox->setChecked(loadUserDb);
    connect(m_ui->defaultDbBox, &QCheckBox::clicked, this, &CAbsSettingsDlg::KeepOneChecked);
    connect(m_ui->userDbBox, &QCheckBox::clicked, this, &CAbsSettingsDlg::KeepOneChecked);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

CAbsSettingsDlg::~CAbsSettingsDlg() = default;

bool CAbsSettingsDlg::LoadDefaultDb() const
{
    return m_ui->defaultDbBox->isChecked();
}

bool CAbsSettingsDlg::LoadUserDb() const
{
    return m_ui->userDbBox->isChecked();
}

void CAbsSettingsDlg::KeepOneChecked(bool checked)
{
    if (checked || m_ui->defaultDbBox->isChecked() || m_ui->userDbBox->isChecked())
        return;
    if (auto *box = qobject_cast<QCheckBox *>(sender()))
        box->setChecked(true);
}
