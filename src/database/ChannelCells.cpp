// Cell texts of the channel list, read from the program records.
#include "database/ChannelCells.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"

#include <QString>

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int kPosServiceType = 2;
constexpr int kPosBitCount = 9;
constexpr int kPosFirstFlag = 10;
constexpr int kPosLastFlag = 12;

std::optional<int64_t> ParseDecimal(std::string_view text)
{
    int64_t value = 0;
    const char *end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end || text.empty())
        return std::nullopt;
    return value;
}

} // namespace

std::string CellText(std::string_view value, int pos)
{
    if (pos == kPosServiceType) {
        if (value == "1")
            return "TV";
        if (value == "0")
            return "Radio";
        return {};
    }
    if (pos == kPosBitCount) {
        const std::optional<int64_t> number = ParseDecimal(value);
        if (!number)
            return std::string(value);
        return std::to_string(std::popcount(uint32_t(uint64_t(*number))));
    }
    if (pos >= kPosFirstFlag && pos <= kPosLastFlag) {
        if (value == "0")
            return "No";
        if (value == "1")
            return "Yes";
        return {};
    }
    return std::string(value);
}

std::string IndexCellText(int rowNumber)
{
    char text[16];
    std::snprintf(text, sizeof text, "%3d", rowNumber);
    return text;
}

ChannelRowCells ReadChannelCells(const CChannelDb &db, const std::vector<ListFieldColumn> &columns, int slot)
{
    ChannelRowCells row;
    row.cells.reserve(columns.size());
    std::string value;
    for (const ListFieldColumn &column : columns) {
        if (!db.GetNodeData(KindProgram, slot, column.fieldIndex, value, 0, PositionOrder))
            continue;
        if (column.pos == 0) {
            db.Prompt().ShowMessage(QStringLiteral("pos 0 error!"));
            row.status = RowStatus::PosZeroError;
            return row;
        }
        row.cells.push_back(CellText(value, column.pos));
    }
    return row;
}

ChannelRowCells ReadChannelRow(const CChannelDb &db, const std::vector<ListFieldColumn> &columns, int slot)
{
    std::string first;
    if (!db.IsUsed(KindProgram, slot) || !db.GetNodeData(KindProgram, slot, 0, first, 0, PositionOrder))
        return ChannelRowCells{RowStatus::Skipped, {}};
    return ReadChannelCells(db, columns, slot);
}

std::optional<bool> MatchesServiceFilter(const CChannelDb &db, int slot, ServiceFilter filter)
{
    return ServiceFilterCheck(db, filter).Shown(slot);
}

ServiceFilterCheck::ServiceFilterCheck(const CChannelDb &db, ServiceFilter filter) : m_db(db), m_filter(filter)
{
    if (filter != ServiceFilter::TvAndRadio)
        m_field = db.Layouts().FindField(KindProgram, "Service Type", PositionOrder);
}

std::optional<bool> ServiceFilterCheck::Shown(int slot) const
{
    if (m_filter == ServiceFilter::TvAndRadio)
        return true;
    if (m_field < 0) {
        m_db.Prompt().ShowMessage(QStringLiteral("Error to get service type"));
        return std::nullopt;
    }
    int32_t value = 0;
    if (!m_db.GetNodeInt(KindProgram, slot, m_field, value, 0, PositionOrder))
        return false;
    return value == static_cast<int>(m_filter);
}
