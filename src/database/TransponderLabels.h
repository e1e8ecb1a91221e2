// The navigator texts of transponders: labels with their ordinal, renumbering and move exchanges.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CChannelDb;

// "[ n ]  TP_<dvbt_frq>_<bandwidth>" for a terrestrial transponder (its own "sat_id" is 255, the
// two fields read in declaration order), else "[ n ]  TP_<frq>_V_<sym>" when "pol" is not 0 and
// "[ n ]  TP_<frq>_H_<sym>" when it is 0 (position order). A field the layout lacks counts as 0.
std::string TransponderLabel(const CChannelDb &db, int tpNode, int ordinal);

// A label split at its first "TP": the ordinal prefix before it and the tail from it on. A text
// without "TP" has an empty prefix and is all tail.
struct LabelParts
{
    std::string prefix;
    std::string tail;
};
LabelParts SplitLabel(std::string_view label);

// The label with the prefix "[ k ]  " when its "TP" stands at a position above 0, else unchanged.
std::string RenumberedLabel(std::string_view label, int k);
// Renumbers a satellite's children in tree order: k runs from 1 over every child, and only labels
// whose "TP" stands at a position above 0 get the prefix "[ k ]  ".
std::vector<std::string> RenumberLabels(const std::vector<std::string> &labels);

// Move Up / Down: the new texts of A and B. A gets A's prefix and B's tail, B gets B's prefix and
// A's tail (for satellite names without "TP" this exchanges the names).
std::pair<std::string, std::string> ExchangeLabelTails(std::string_view a, std::string_view b);

// A transponder of a satellite as the navigator adds it.
struct SatelliteTransponder
{
    int node = -1;       // index in the transponder table
    int ordinal = 0;     // 1-based among the satellite's transponders
    int32_t tpId = 0;
    std::string label;
};

// The transponders of the satellite with this sat_id in transponder-table order. The ordinal
// counts every transponder whose "sat_id" reads as satId, also those whose "tp_id" then cannot be
// read and which are left out.
std::vector<SatelliteTransponder> SatelliteTransponders(const CChannelDb &db, int32_t satId);
