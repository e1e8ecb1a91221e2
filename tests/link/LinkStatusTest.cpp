// The status table: every number and its text, unknown numbers untouched.
#include "link/LinkStatus.h"

#include <gtest/gtest.h>

TEST(LinkStatusText, EveryNumberHasItsTextWithLineEnd)
{
    const std::pair<int, const char *> table[] = {
        {0, "Success!"}, {1, "Generic error!"}, {2, "Can not connect serial port!"}, {3, "Send data error!"},
        {4, "Return command not equal to send command!"}, {5, "Send command error!"},
        {6, "User canceled the operate"}, {7, "Target not connect or target is error status!"},
        {8, "Time out when read data!"}, {9, "CRC check error!"}, {10, "Target return error when oprate!"},
        {11, "Target return is not recognize!"}, {12, "Overrun retry times"}, {13, "Burn error!"},
        {14, "Error dump len"}, {15, "Load sdram ini file error!"}, {16, "Can not open serial port!"},
        {17, "User canceled the operate"}, {18, "Open file error!"}, {19, "Malloc memory error!"},
        {20, "Read file error!"}, {21, "Dump error!"}, {22, "Command comtest error!"}, {23, "Read data error!"},
        {24, "Send packet head error!"}, {25, "Send Packet data error!"}, {26, "Send packet data CRC error!"},
        {27, "No Packet receive!"}, {28, "Receive packet head error!"}, {29, "Check packet head CRC error!"},
        {30, "Receive packet data error!"}, {31, "Check packet data CRC error!"}, {32, "Packet not recognize!"},
        {33, "Command not recognize!"}, {34, "STB compress transfer data error!"},
        {35, "STB not receive all data!"}, {36, "File not open!"}, {37, "Read file data error!"},
        {38, "Write file data error!"}, {39, "Malloc memory error"},
        {65536, "STB check command line parameter error!"}, {65537, "STB set address  overflow!"},
        {65538, "STB address not init!"}, {65539, "STB chunk not found!"}, {65540, "STB nothing can burn!"},
        {65541, "STB not enough buffer!"}, {65542, "STB not dump all data!"},
        {40, "Send Packet Error!Please Check serial port device"}, {42, "Command Executed"},
    };
    for (const auto &[number, text] : table) {
        std::string got;
        EXPECT_EQ(StatusText(number, got), 1) << number;
        EXPECT_EQ(got, std::string(text) + "\r\n") << number;
    }
    for (int unknown : {41, 43, -1, 65543, 0x7FFFFFFF}) {
        std::string got = "untouched";
        EXPECT_EQ(StatusText(unknown, got), 0) << unknown;
        EXPECT_EQ(got, "untouched");
    }
}
