// The about box: program version and the upgrade library's version.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CAboutDlg;
}

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);
    ~CAboutDlg() override;

    // The text of control 1079.
    QString LibraryVersionText() const;

private:
    std::unique_ptr<Ui::CAboutDlg> m_ui;
};
