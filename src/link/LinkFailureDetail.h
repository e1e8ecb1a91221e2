// The reason of a failed link call in words, for the detail line under a transfer message.
#pragma once

#include <QString>

class CUpgradeLink;

// A receiver that stopped answering ("the receiver stopped answering (no progress for 30 s)"),
// the receiver's own refusal from 0x10000 on, or the status and its text; empty for success
// and for the user's cancel.
QString LinkFailureDetail(const CUpgradeLink &link, int status);
// Why the port did not open: the device path and the system's reason.
QString PortOpenFailureDetail(const CUpgradeLink &link);
