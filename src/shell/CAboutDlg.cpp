// The about box; its layout lives in CAboutDlg.ui.
#include "shell/CAboutDlg.h"

#include "link/CUpgradeLink.h"
#include "ui_CAboutDlg.h"

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>())
{
    m_ui->setupUi(this);
    m_ui->iconLabel->setPixmap(QPixmap(QStringLiteral(":/dravel/dravel-64.png")));
    m_ui->libraryVersionLabel->setText(
        QStringLiteral("Upgrade Library Version: %1").arg(QString::fromLatin1(CUpgradeLink::GetLibraryVersion())));
}

CAboutDlg::~CAboutDlg() = default;

QString CAboutDlg::LibraryVersionText() const
{
    return m_ui->libraryVersionLabel->text();
}
