// Where and how a transfer job opens the serial line.
#pragma once

#include "link/CUpgradeLink.h"

#include <QString>

struct LinkPortSettings {
    QString devicePath; // used when not empty, else portNumber
    int portNumber = 1;
    int bitRate = 115200;
    int parity = 2; // even
    int stopBits = 1;
};

// Opens the link's port by device path when one is given, else by port number.
inline int OpenLinkPort(CUpgradeLink &link, const LinkPortSettings &port)
{
    return port.devicePath.isEmpty()
        ? link.LinkOpenPort(port.portNumber, port.bitRate, port.parity, port.stopBits)
        : link.LinkOpenPort(port.devicePath.toStdString(), port.bitRate, port.parity, port.stopBits);
}
