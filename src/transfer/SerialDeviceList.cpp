// ListSerialDevices: Qt's serial port list, or a look at /dev without it.
#include "transfer/SerialDeviceList.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

#ifdef DRAVEL_HAVE_SERIALPORT
#include <QSerialPortInfo>
#endif

int ComNumberOfDevice(const QString &path)
{
    static const QRegularExpression pattern(QStringLiteral("^/dev/ttyS(\\d{1,2})$"));
    const QRegularExpressionMatch match = pattern.match(path);
    if (!match.hasMatch())
        return 0;
    const int n = match.captured(1).toInt() + 1;
    return n >= 1 && n <= 30 ? n : 0;
}

QList<SerialDevice> ListSerialDevices()
{
    QList<SerialDevice> devices;
#ifdef DRAVEL_HAVE_SERIALPORT
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        QString description = info.description();
        if (!info.manufacturer().isEmpty() && !description.contains(info.manufacturer()))
            description = description.isEmpty() ? info.manufacturer() : description + QStringLiteral(", ") + info.manufacturer();
        devices.append({info.systemLocation(), description});
    }
#else
    const QDir dev(QStringLiteral("/dev"));
    const QStringList names = dev.entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*"),
                                             QStringLiteral("ttyAMA*"), QStringLiteral("rfcomm*")},
                                            QDir::System | QDir::Files);
    for (const QString &name : names) {
        QFile product(QStringLiteral("/sys/class/tty/%1/device/../product").arg(name));
        QString description;
        if (product.open(QIODevice::ReadOnly))
            description = QString::fromUtf8(product.read(200)).trimmed();
        devices.append({dev.filePath(name), description});
    }
#endif
    devices.erase(std::remove_if(devices.begin(), devices.end(),
                                 [](const SerialDevice &d) { return d.path.isEmpty() || ComNumberOfDevice(d.path) != 0; }),
                  devices.end());
    std::sort(devices.begin(), devices.end(), [](const SerialDevice &a, const SerialDevice &b) { return a.path < b.path; });
    return devices;
}
