// The ".abs" download settings: which of the file's databases a download sends.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CAbsSettingsDlg;
}

// At least one box stays checked: a click that would clear both checks the clicked box again.
class CAbsSettingsDlg : public QDialog
{
    Q_OBJECT

public:
    CAbsSettingsDlg(bool loadDefaultDb, bool loadUserDb, QWidget *parent = nullptr);
    ~CAbsSettingsDlg() override;

    bool LoadDefaultDb() const;
    bool LoadUserDb() const;

private:
    void KeepOneChecked(bool checked);

    std::unique_ptr<Ui::CAbsSettingsDlg> m_ui;
};
