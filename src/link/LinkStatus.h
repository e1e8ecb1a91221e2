// Status numbers of the upgrade link and their texts.
#pragma once

#include <string>

// Every CUpgradeLink call returns one of these (0 success). Numbers from 0x10000 on are final
// refusals sent by the STB.
enum LinkStatus : int {
    kLinkOk = 0,
    kLinkGenericError = 1,
    kLinkCannotConnect = 2,
    kLinkSendDataError = 3,
    kLinkEchoMismatch = 4,
    kLinkSendCommandError = 5,
    kLinkUserCanceled = 6,
    kLinkTargetNotConnected = 7,
    kLinkTimeout = 8,
    kLinkCrcError = 9,
    kLinkTargetError = 10,
    kLinkNotRecognized = 11,
    kLinkOverrunRetry = 12,
    kLinkBurnError = 13,
    kLinkDumpLength = 14,
    kLinkReadDataError = 23,
    kLinkSendHeadError = 24,
    kLinkSendDataPacketError = 25,
    kLinkSendCrcError = 26,
    kLinkNoPacket = 27,
    kLinkReceiveHeadError = 28,
    kLinkHeadCrcError = 29,
    kLinkReceiveDataError = 30,
    kLinkDataCrcError = 31,
    kLinkPacketNotRecognized = 32,
    kLinkFileNotOpen = 36,
    kLinkReadFileError = 37,
    kLinkSendPacketError = 40,
    kLinkCompressorNotStarted = 41,
    kLinkCommandExecuted = 42,
    kLinkStbNotDumpAll = 65542,
};

// Codes at or above this end a command at once; smaller ones are worth another attempt.
constexpr unsigned kFinalStatusBase = 0x10000;

// 1 and the table text followed by "\r\n" when the number is known, else 0 and text untouched.
int StatusText(int status, std::string &text);
