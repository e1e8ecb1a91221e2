// The status table of the upgrade link.
#include "link/LinkStatus.h"

namespace {

struct StatusEntry {
    int number;
    const char *text;
};

const StatusEntry kStatusTable[] = {
    {0, "Success!"},
    {1, "Generic error!"},
    {2, "Can not connect serial port!"},
    {3, "Send data error!"},
    {4, "Return command not equal to send command!"},
    {5, "Send command error!"},
    {6, "User canceled the operate"},
    {7, "Target not connect or target is error status!"},
    {8, "Time out when read data!"},
    {9, "CRC check error!"},
    {10, "Target return error when oprate!"},
    {11, "Target return is not recognize!"},
    {12, "Overrun retry times"},
    {13, "Burn error!"},
    {14, "Error dump len"},
    {15, "Load sdram ini file error!"},
    {16, "Can not open serial port!"},
    {17, "User canceled the operate"},
    {18, "Open file error!"},
    {19, "Malloc memory error!"},
    {20, "Read file error!"},
    {21, "Dump error!"},
    {22, "Command comtest error!"},
    {23, "Read data error!"},
    {24, "Send packet head error!"},
    {25, "Send Packet data error!"},
    {26, "Send packet data CRC error!"},
    {27, "No Packet receive!"},
    {28, "Receive packet head error!"},
    {29, "Check packet head CRC error!"},
    {30, "Receive packet data error!"},
    {31, "Check packet data CRC error!"},
    {32, "Packet not recognize!"},
    {33, "Command not recognize!"},
    {34, "STB compress transfer data error!"},
    {35, "STB not receive all data!"},
    {36, "File not open!"},
    {37, "Read file data error!"},
    {38, "Write file data error!"},
    {39, "Malloc memory error"},
    {65536, "STB check command line parameter error!"},
    {65537, "STB set address  overflow!"},
    {65538, "STB address not init!"},
    {65539, "STB chunk not found!"},
    {65540, "STB nothing can burn!"},
    {65541, "STB not enough buffer!"},
    {65542, "STB not dump all data!"},
    {40, "Send Packet Error!Please Check serial port device"},
    {42, "Command Executed"},
};

} // namespace

int StatusText(int status, std::string &text)
{
    for (const auto &entry : kStatusTable) {
        if (entry.number == status) {
            text = std::string(entry.text) + "\r\n";
            return 1;
        }
    }
    return 0;
}
