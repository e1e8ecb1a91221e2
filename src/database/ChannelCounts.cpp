// Counting the channels of a list by service type, and the status bar's text of the counts.
#include "database/ChannelCounts.h"

#include "database/CChannelDb.h"
#include "database/ServiceFilter.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"

ChannelCounts CountChannels(const CChannelDb &db, const std::vector<int> &slots)
{
    ChannelCounts counts;
    const int typeField = db.Layouts().FindField(KindProgram, "Service Type", DeclarationOrder);
    counts.typed = typeField >= 0;
    for (int slot : slots) {
        if (slot < 0 || !db.IsUsed(KindProgram, slot))
            continue;
        ++counts.total;
        int32_t type = 0;
        if (!counts.typed || !db.GetNodeInt(KindProgram, slot, typeField, type, 0, DeclarationOrder))
            continue;
        // The same values the TV/Radio switch shows: 1 TV, 0 radio; others are neither.
        if (type == int32_t(ServiceFilter::TvOnly))
            ++counts.tv;
        else if (type == int32_t(ServiceFilter::RadioOnly))
            ++counts.radio;
    }
    return counts;
}

QString ChannelCountText(const ChannelCounts &counts, std::optional<int> shown)
{
    const QString channels = counts.total == 1 ? QStringLiteral("channel") : QStringLiteral("channels");
    if (shown)
        return QStringLiteral("%1 of %2 %3").arg(*shown).arg(counts.total).arg(channels);
    QString text = QStringLiteral("%1 %2").arg(counts.total).arg(channels);
    if (counts.typed)
        text += QStringLiteral(" · %1 TV · %2 radio").arg(counts.tv).arg(counts.radio);
    return text;
}
