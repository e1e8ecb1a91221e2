// Transponder labels read from the records, and the text operations on their two parts.
#include "database/TransponderLabels.h"

#include "database/CChannelDb.h"
#include "database/NodeFields.h"
#include "layout/FieldDesc.h"

#include <cstdio>

namespace {

constexpr int32_t kTerrestrialSatId = 255;

std::string OrdinalPrefix(int k)
{
    char text[32];
    std::snprintf(text, sizeof text, "[ %d ]  ", k);
    return text;
}

} // namespace

std::string TransponderLabel(const CChannelDb &db, int tpNode, int ordinal)
{
    char text[96];
    const int32_t satId = GetNodeIntOrZero(db, KindTransponder, tpNode, "sat_id", PositionOrder);
    if (satId == kTerrestrialSatId) {
        const int32_t frequency = GetNodeIntOrZero(db, KindTransponder, tpNode, "dvbt_frq", DeclarationOrder);
        const int32_t bandwidth = GetNodeIntOrZero(db, KindTransponder, tpNode, "bandwidth", DeclarationOrder);
        std::snprintf(text, sizeof text, "[ %d ]  TP_%d_%d", ordinal, frequency, bandwidth);
        return text;
    }
    const int32_t frequency = GetNodeIntOrZero(db, KindTransponder, tpNode, "frq", PositionOrder);
    const int32_t symbolRate = GetNodeIntOrZero(db, KindTransponder, tpNode, "sym", PositionOrder);
    const int32_t polarisation = GetNodeIntOrZero(db, KindTransponder, tpNode, "pol", PositionOrder);
    std::snprintf(text, sizeof text, polarisation != 0 ? "[ %d ]  TP_%d_V_%d" : "[ %d ]  TP_%d_H_%d", ordinal,
                  frequency, symbolRate);
    return text;
}

LabelParts SplitLabel(std::string_view label)
{
    const size_t at = label.find("TP");
    if (at == std::string_view::npos)
        return LabelParts{{}, std::string(label)};
    return LabelParts{std::string(label.substr(0, at)), std::string(label.substr(at))};
}

std::string RenumberedLabel(std::string_view label, int k)
{
    const size_t at = label.find("TP");
    if (at == std::string_view::npos || at == 0)
        return std::string(label);
    return OrdinalPrefix(k) + std::string(label.substr(at));
}

std::vector<std::string> RenumberLabels(const std::vector<std::string> &labels)
{
    std::vector<std::string> renumbered;
    renumbered.reserve(labels.size());
    int k = 1;
    for (const std::string &label : labels)
        renumbered.push_back(RenumberedLabel(label, k++));
    return renumbered;
}

std::pair<std::string, std::string> ExchangeLabelTails(std::string_view a, std::string_view b)
{
    const LabelParts partsA = SplitLabel(a);
    const LabelParts partsB = SplitLabel(b);
    return {partsA.prefix + partsB.tail, partsB.prefix + partsA.tail};
}

std::vector<SatelliteTransponder> SatelliteTransponders(const CChannelDb &db, int32_t satId)
{
    std::vector<SatelliteTransponder> transponders;
    const int satField = db.SatIdOfTransponder();
    const int tpField = db.TpIdOfTransponder();
    if (satField < 0)
        return transponders;
    int n = 0;
    const int count = db.Count(KindTransponder);
    for (int node = 0; node < count; ++node) {
        int32_t value = 0;
        if (!db.GetNodeInt(KindTransponder, node, satField, value, 0, PositionOrder) || value != satId)
            continue;
        ++n;  // counted before the tp_id read: an unreadable tp_id still takes its ordinal
        int32_t tpId = 0;
        if (tpField < 0 || !db.GetNodeInt(KindTransponder, node, tpField, tpId, 0, PositionOrder))
            continue;
        transponders.push_back(SatelliteTransponder{node, n, tpId, TransponderLabel(db, node, n)});
    }
    return transponders;
}
