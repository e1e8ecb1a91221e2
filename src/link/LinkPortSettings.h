// Where and how a transfer job opens the serial line.
#pragma once

#include <QString>

struct LinkPortSettings {
    QString devicePath; // used when not empty, else portNumber
    int portNumber = 1;
    int bitRate = 115200;
    int parity = 2; // even
    int stopBits = 1;
};
