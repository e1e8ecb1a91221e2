// The serial port settings dialog: the port, the fixed line settings and the transfer format.
#pragma once

#include "link/LinkPortSettings.h"
#include "transfer/SerialDeviceList.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QPushButton;

namespace Ui {
class CSerialSettingsDlg;
}

// The port list holds COM1 to COM30 (each carrying its number), then the machine's own serial
// devices, then an entry for a device path typed into the field below it. Bit rate, parity, data
// and stop bits are shown but fixed. OK writes the chosen port to the settings store as
// "Serial Port" (its number, or the device path).
class CSerialSettingsDlg : public QDialog
{
    Q_OBJECT

public:
    CSerialSettingsDlg(const LinkPortSettings &port, int transferFormat, const QList<SerialDevice> &devices,
                       QWidget *parent = nullptr);
    ~CSerialSettingsDlg() override;

    // The choice, valid after OK: port number and device path, 115200 bit/s, even parity, one stop bit.
    LinkPortSettings Port() const { return m_port; }
    int TransferFormat() const { return m_transferFormat; }

    QComboBox *PortList() const;
    QComboBox *FormatList() const;
    // The port list's entry for a typed device path.
    int TypedPathEntry() const;
    static constexpr int kPortNumberRole = Qt::UserRole;
    static constexpr int kDevicePathRole = Qt::UserRole + 1;

public Q_SLOTS:
    void accept() override;

private:
    void UpdateTypedPath();

    std::unique_ptr<Ui::CSerialSettingsDlg> m_ui;
    LinkPortSettings m_port;
    int m_transferFormat = 1;
};
