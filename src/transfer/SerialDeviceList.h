// The serial devices this machine has, for the port list of the settings dialog.
#pragma once

#include <QList>
#include <QString>

struct SerialDevice {
    QString path;         // "/dev/ttyUSB0"
    QString description;  // what the system says about it; may be empty
};

// Devices that COM1 to COM30 do not already name (on Linux those are /dev/ttyS0 to ttyS29),
// sorted by path. Uses Qt's serial port list where the program was built with it, else the
// usual device names under /dev.
QList<SerialDevice> ListSerialDevices();
// The COM number a device path stands for (1 for "/dev/ttyS0"), or 0.
int ComNumberOfDevice(const QString &path);
