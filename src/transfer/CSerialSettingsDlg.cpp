// CSerialSettingsDlg: filling the lists, the typed device path and the settings-store value.
#include "transfer/CSerialSettingsDlg.h"

#include "ui_CSerialSettingsDlg.h"

#include <QPushButton>
#include <QSettings>

namespace {
constexpr int kComPorts = 30;
const char *const kTypedMarker = "typed";
} // namespace

CSerialSettingsDlg::CSerialSettingsDlg(const LinkPortSettings &port, int transferFormat,
                                       const QList<SerialDevice> &devices, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CSerialSettingsDlg>()), m_port(port),
      m_transferFormat(transferFormat)
{
    m_ui->setupUi(this);
    QComboBox *ports = m_ui->portCombo;
    for (int n = 1; n <= kComPorts; ++n)
        ports->addItem(QStringLiteral("COM%1").arg(n), n);
    for (const SerialDevice &device : devices) {
        const QString text = device.description.isEmpty()
            ? device.path : QStringLiteral("%1 (%2)").arg(device.path, device.description);
        ports->addItem(text, 0);
        ports->setItemData(ports->count() - 1, device.path, kDevicePathRole);
    }
    ports->addItem(QStringLiteral("Device path typed below"), 0);
    ports->setItemData(ports->count() - 1, QString::fromLatin1(kTypedMarker), kDevicePathRole);

    // The entry of the frame's port; a device path not in the list goes into the field.
    int selected = 0;
    if (!port.devicePath.isEmpty()) {
        selected = TypedPathEntry();
        for (int i = kComPorts; i < TypedPathEntry(); ++i) {
            if (ports->itemData(i, kDevicePathRole).toString() == port.devicePath)
                selected = i;
        }
        if (selected == TypedPathEntry())
            m_ui->devicePathEdit->setText(port.devicePath);
    } else {
        for (int i = 0; i < kComPorts; ++i) {
            if (ports->itemData(i, kPortNumberRole).toInt() == port.portNumber)
                selected = i;
        }
    }
    ports->setCurrentIndex(selected);

    m_ui->bitRateCombo->setCurrentIndex(m_ui->bitRateCombo->count() - 1);
    m_ui->parityCombo->setCurrentIndex(1);
    m_ui->dataBitsCombo->setCurrentIndex(m_ui->dataBitsCombo->count() - 1);
    m_ui->stopBitsCombo->setCurrentIndex(0);
    m_ui->formatCombo->setCurrentIndex(transferFormat == 2 ? 1 : 0);

    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setProperty("controlId", 1);
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->setProperty("controlId", 2);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &CSerialSettingsDlg::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ports, &QComboBox::currentIndexChanged, this, &CSerialSettingsDlg::UpdateTypedPath);
    connect(m_ui->devicePathEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        // Typing a path chooses the typed-path entry.
        if (!text.isEmpty() && m_ui->portCombo->currentIndex() != TypedPathEntry())
            m_ui->portCombo->setCurrentIndex(TypedPathEntry());
        UpdateTypedPath();
    });
    UpdateTypedPath();
}

CSerialSettingsDlg::~CSerialSettingsDlg() = default;

QComboBox *CSerialSettingsDlg::PortList() const
{
    return m_ui->portCombo;
}

QComboBox *CSerialSettingsDlg::FormatList() const
{
    return m_ui->formatCombo;
}

int CSerialSettingsDlg::TypedPathEntry() const
{
    return m_ui->portCombo->count() - 1;
}

void CSerialSettingsDlg::UpdateTypedPath()
{
    const bool typed = m_ui->portCombo->currentIndex() == TypedPathEntry();
    // OK cannot confirm the typed entry without a path.
    m_ui->buttonBox->button(QDialogButtonBox::Ok)
        ->setEnabled(!typed || !m_ui->devicePathEdit->text().trimmed().isEmpty());
}

void CSerialSettingsDlg::accept()
{
    const int index = m_ui->portCombo->currentIndex();
    LinkPortSettings port = m_port;
    if (index == TypedPathEntry()) {
        const QString path = m_ui->devicePathEdit->text().trimmed();
        if (path.isEmpty())
            return;
        port.devicePath = path;
    } else if (index >= kComPorts) {
        port.devicePath = m_ui->portCombo->itemData(index, kDevicePathRole).toString();
    } else {
        port.devicePath.clear();
        port.portNumber = m_ui->portCombo->itemData(index < 0 ? 0 : index, kPortNumberRole).toInt();
    }
    port.bitRate = m_ui->bitRateCombo->currentText().toInt();
    port.parity = 2;
    port.stopBits = 1;
    m_port = port;
    m_transferFormat = m_ui->formatCombo->currentIndex() + 1;

    // Written for whoever looks, never read back: every run starts with COM1.
    QSettings settings;
    if (port.devicePath.isEmpty())
        settings.setValue(QStringLiteral("Serial Port"), port.portNumber);
    else
        settings.setValue(QStringLiteral("Serial Port"), port.devicePath);
    settings.sync();
    QDialog::accept();
}
