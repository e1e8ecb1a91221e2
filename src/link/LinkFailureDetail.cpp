// LinkFailureDetail: turning a status number and the link's state into a reason a user can read.
#include "link/LinkFailureDetail.h"

#include "link/CUpgradeLink.h"

QString LinkFailureDetail(const CUpgradeLink &link, int status)
{
    if (status == kLinkOk || status == kLinkUserCanceled)
        return QString();
    if (link.Stalled())
        return QStringLiteral("the receiver stopped answering (no progress for %1 s)").arg(link.StallTimeoutMs() / 1000);
    if (status == kLinkTimeout || status == kLinkNoPacket || status == kLinkTargetNotConnected)
        return QStringLiteral("the receiver stopped answering");
    std::string text;
    StatusText(status, text);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (unsigned(status) >= kFinalStatusBase)
        return QStringLiteral("the receiver refused: status %1 (%2)").arg(status).arg(QString::fromStdString(text));
    return text.empty() ? QStringLiteral("link status %1").arg(status)
                        : QStringLiteral("link status %1 (%2)").arg(status).arg(QString::fromStdString(text));
}

QString PortOpenFailureDetail(const CUpgradeLink &link)
{
    return QString::fromStdString(link.Port().OpenError());
}
