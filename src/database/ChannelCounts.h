// The counts the status bar shows for the channel list: channels, TV and radio, or found of all.
#pragma once

#include <QString>

#include <optional>
#include <vector>

class CChannelDb;

struct ChannelCounts
{
    int total = 0;
    int tv = 0;
    int radio = 0;
    bool typed = false;  // the layout has a "Service Type": tv and radio are known
};

// Counts the live programs of these slots (-1 and free slots are not channels).
ChannelCounts CountChannels(const CChannelDb &db, const std::vector<int> &slots);

// "1500 channels · 1210 TV · 290 radio"; with `shown` (a find is active) "12 of 1500 channels".
QString ChannelCountText(const ChannelCounts &counts, std::optional<int> shown = std::nullopt);
