// Node tables, record pool, allocation, compaction, free ids and node field access.
#include "database/CChannelDb.h"

#include "core/CoreMessages.h"
#include "core/UserPrompt.h"
#include "core/Utf8Text.h"
#include "database/ProfileStore.h"
#include "database/RecordConverter.h"
#include "layout/FieldCodec.h"
#include "layout/LayoutSet.h"
#include "layout/TemplateNumber.h"

#include <algorithm>
#include <cstring>

namespace {

const char *const kTableNames[3] = {"TT01", "ST01", "PT01"};
// Satellites first, then transponders, then programs: the order of records in pool and file.
constexpr NodeKind kStorageOrder[3] = {KindSatellite, KindTransponder, KindProgram};

enum CachedSlot { SatIdSat, SatIdTp, SatIdProg, TpIdTp, TpIdProg, SatNameSat };

bool IsNodeKind(NodeKind kind)
{
    return IsTableKind(kind);
}

} // namespace

CChannelDb::CChannelDb(const LayoutSet &layouts, UserPrompt &prompt) : m_layouts(layouts), m_prompt(prompt)
{
    m_cachedIndexes.fill(-1);
    for (NodeKind kind : kTableKinds)
        m_tables[KindSlot(kind)].name = kTableNames[KindSlot(kind)];
}

void CChannelDb::Clear()
{
    m_cachedIndexes.fill(-1);
    m_used = 0;
    for (NodeTable &table : m_tables)
        table.slots.clear();
    for (auto &list : m_loadLists)
        list.clear();
    m_hasPool = false;  // the allocation is kept: the next load reuses it without faulting pages in
    m_favourites.reset();
    if (m_hasExtraBlock) {
        m_extraBlock.clear();
        m_hasExtraBlock = false;
    }
}

void CChannelDb::EnsureBuffers()
{
    // Uninitialised on purpose: every byte is written before it is read.
    if (!m_pool)
        m_pool = std::make_unique_for_overwrite<uint8_t[]>(size_t(m_capacity));
    if (!m_work)
        m_work = std::make_unique_for_overwrite<uint8_t[]>(size_t(m_capacity));
}

void CChannelDb::CreateEmpty()
{
    Clear();
    EnsureBuffers();
    m_hasPool = true;
    m_layoutGeneration = m_layouts.Generation();
    for (NodeKind kind : kTableKinds) {
        ResetTable(m_tables[KindSlot(kind)]);
        m_tables[KindSlot(kind)].name = kTableNames[KindSlot(kind)];
    }
}

bool CChannelDb::LayoutsInStep() const
{
    return m_hasPool && m_layoutGeneration == m_layouts.Generation();
}

void CChannelDb::ResetTable(NodeTable &table)
{
    std::memcpy(table.tag, "DB@T", 4);
    table.slots.clear();
    table.guard = 0x12345678;
}

std::vector<LoadEntry> *CChannelDb::LoadList(NodeKind kind)
{
    return IsNodeKind(kind) ? &m_loadLists[KindSlot(kind)] : nullptr;
}

void CChannelDb::BuildSlotMaps()
{
    for (NodeKind kind : kTableKinds) {
        NodeTable &table = m_tables[KindSlot(kind)];
        ResetTable(table);
        table.name = kTableNames[KindSlot(kind)];
        for (const LoadEntry &entry : m_loadLists[KindSlot(kind)])
            table.slots.push_back(int32_t(entry.offset));
    }
}

bool CChannelDb::TransferToDb3()
{
    if (!m_hasPool)
        return false;
    for (NodeKind kind : kTableKinds) {
        if (m_layouts.NodeSize(kind) == 0)
            return false;
    }
    const RecordConverter converter(m_layouts);
    uint8_t *work = m_work.get();
    const size_t workSize = size_t(m_capacity);
    // DB4 records lie in the payload, which ends where the file data ended.
    const size_t payloadEnd = size_t(std::clamp(m_used, 0, m_capacity));
    // Bytes no rule fills read 0xFF: fill every record's place at once, then convert into it.
    size_t needed = 0;
    for (NodeKind kind : kStorageOrder)
        needed += size_t(LiveCount(kind)) * size_t(m_layouts.NodeSize(kind));
    std::fill_n(work, std::min(needed, workSize), uint8_t(0xFF));
    size_t offset = 0;
    for (NodeKind kind : kStorageOrder) {
        const size_t nodeSize = size_t(m_layouts.NodeSize(kind));
        for (int32_t &slot : m_tables[KindSlot(kind)].slots) {
            if (slot < 0)
                continue;
            if (offset + nodeSize > workSize) {
                m_prompt.ShowMessage(QStringLiteral("DB4 to DB3 Transfer : Out of Range"));
                for (NodeTable &table : m_tables)
                    table.slots.clear();
                m_used = 0;
                return false;
            }
            const size_t source = size_t(slot);
            if (source >= payloadEnd
                || !converter.Db4ToDb3(kind, work + offset, nodeSize, m_pool.get() + source, payloadEnd - source)) {
                // A record that runs past the data it came with: the file is damaged.
                m_prompt.ShowMessage(CoreMessages::DamagedFile());
                for (NodeTable &table : m_tables)
                    table.slots.clear();
                m_used = 0;
                return false;
            }
            slot = int32_t(offset);
            offset += nodeSize;
        }
    }
    m_pool.swap(m_work);
    m_used = int(offset);
    return true;
}

const NodeTable *CChannelDb::Table(NodeKind kind) const
{
    return IsNodeKind(kind) ? &m_tables[KindSlot(kind)] : nullptr;
}

NodeTable *CChannelDb::MutableTable(NodeKind kind)
{
    return IsNodeKind(kind) ? &m_tables[KindSlot(kind)] : nullptr;
}

int CChannelDb::Count(NodeKind kind) const
{
    return IsNodeKind(kind) ? m_tables[KindSlot(kind)].Count() : 0;
}

bool CChannelDb::IsUsed(NodeKind kind, int slot) const
{
    return IsNodeKind(kind) && slot >= 0 && slot < Count(kind) && m_tables[KindSlot(kind)].slots[size_t(slot)] >= 0;
}

int CChannelDb::LiveCount(NodeKind kind) const
{
    if (!IsNodeKind(kind))
        return 0;
    const auto &slots = m_tables[KindSlot(kind)].slots;
    return int(std::count_if(slots.begin(), slots.end(), [](int32_t s) { return s >= 0; }));
}

const uint8_t *CChannelDb::Record(NodeKind kind, int slot) const
{
    if (!IsUsed(kind, slot) || !m_hasPool)
        return nullptr;
    const size_t offset = size_t(m_tables[KindSlot(kind)].slots[size_t(slot)]);
    const size_t size = size_t(m_layouts.NodeSize(kind));
    return offset + size <= UsedLimit() ? m_pool.get() + offset : nullptr;
}

uint8_t *CChannelDb::Record(NodeKind kind, int slot)
{
    return const_cast<uint8_t *>(static_cast<const CChannelDb *>(this)->Record(kind, slot));
}

std::vector<uint8_t> CChannelDb::RecordBytes(NodeKind kind, int slot) const
{
    const uint8_t *record = Record(kind, slot);
    if (!record)
        return {};
    return std::vector<uint8_t>(record, record + m_layouts.NodeSize(kind));
}

bool CChannelDb::SetRecordBytes(NodeKind kind, int slot, const std::vector<uint8_t> &record)
{
    uint8_t *target = LayoutsInStep() ? Record(kind, slot) : nullptr;
    if (!target || record.size() != size_t(m_layouts.NodeSize(kind)))
        return false;
    std::memcpy(target, record.data(), record.size());
    return true;
}

int CChannelDb::AllocateNode(NodeKind kind)
{
    NodeTable *table = MutableTable(kind);
    if (!m_hasPool || !table || !LayoutsInStep() || m_layouts.NodeSize(kind) <= 0)
        return -1;
    const int size = m_layouts.NodeSize(kind) + 2;
    if (m_used + size >= m_capacity) {
        Rearrange();
        if (m_used + size >= m_capacity)
            return -1;
    }
    // The new slot follows the last used one; free slots in the middle are not reused.
    int slot = table->Count();
    while (slot > 0 && table->slots[size_t(slot - 1)] < 0)
        --slot;
    if (slot == table->Count()) {
        if (slot >= NodeTable::kMaxSlots)
            return -1;  // the slot count must stay a signed 16-bit number
        table->slots.resize(size_t(std::min(slot + 64, NodeTable::kMaxSlots)), -1);
    }
    table->slots[size_t(slot)] = m_used;
    std::memset(m_pool.get() + m_used, 0, size_t(size));
    m_used += size;
    return slot;
}

bool CChannelDb::ReviveNode(NodeKind kind, int slot, const std::vector<uint8_t> &record)
{
    NodeTable *table = MutableTable(kind);
    const int nodeSize = m_layouts.NodeSize(kind);
    if (!m_hasPool || !table || !LayoutsInStep() || nodeSize <= 0 || record.size() != size_t(nodeSize)
        || slot < 0 || slot >= table->Count() || table->slots[size_t(slot)] >= 0)
        return false;
    if (m_used + nodeSize >= m_capacity) {
        Rearrange();
        if (m_used + nodeSize >= m_capacity)
            return false;
    }
    std::memcpy(m_pool.get() + m_used, record.data(), record.size());
    table->slots[size_t(slot)] = m_used;
    m_used += nodeSize;
    return true;
}

void CChannelDb::DeleteNode(NodeKind kind, int slot)
{
    NodeTable *table = MutableTable(kind);
    if (table && slot >= 0 && slot < table->Count())
        table->slots[size_t(slot)] = -1;
}

bool CChannelDb::SwapSlots(NodeKind kind, int a, int b)
{
    NodeTable *table = MutableTable(kind);
    if (!table || a < 0 || b < 0 || a >= table->Count() || b >= table->Count())
        return false;
    std::swap(table->slots[size_t(a)], table->slots[size_t(b)]);
    return true;
}

bool CChannelDb::RotateSlots(NodeKind kind, int from, int to)
{
    NodeTable *table = MutableTable(kind);
    if (!table || from < 0 || to < 0 || from >= table->Count() || to >= table->Count())
        return false;
    auto first = table->slots.begin();
    if (from > to)
        std::rotate(first + to, first + from, first + from + 1);
    else if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    return true;
}

bool CChannelDb::Rearrange()
{
    if (!m_hasPool)
        return false;
    for (NodeKind kind : kTableKinds) {
        if (m_layouts.NodeSize(kind) == 0)
            return false;
    }
    uint8_t *work = m_work.get();
    const size_t workSize = size_t(m_capacity);
    const size_t used = UsedLimit();
    std::array<std::vector<int32_t>, 3> newSlots;
    size_t offset = 0;
    for (NodeKind kind : kStorageOrder) {
        const size_t nodeSize = size_t(m_layouts.NodeSize(kind));
        newSlots[KindSlot(kind)] = m_tables[KindSlot(kind)].slots;
        for (int32_t &slot : newSlots[KindSlot(kind)]) {
            if (slot < 0)
                continue;
            if (offset + nodeSize > workSize || size_t(slot) + nodeSize > used) {
                m_prompt.ShowMessage(QStringLiteral("Rearrage : Out of Range"));
                return false;  // the pool is left as it was
            }
            std::memcpy(work + offset, m_pool.get() + slot, nodeSize);
            slot = int32_t(offset);
            offset += nodeSize;
        }
    }
    for (NodeKind kind : kTableKinds)
        m_tables[KindSlot(kind)].slots = std::move(newSlots[KindSlot(kind)]);
    m_pool.swap(m_work);
    m_used = int(offset);
    return true;
}

int CChannelDb::FindFreeId(NodeKind kind, int parentSatId, int parentTpId) const
{
    const std::vector<FieldDesc> *fields = m_layouts.Declarations(kind);
    if (!m_layouts.HasNodeLayouts() || !fields || !IsNodeKind(kind))
        return -1;
    const char *idName = kind == KindSatellite ? "sat_id" : kind == KindTransponder ? "tp_id" : "prog_id";
    const int idField = m_layouts.FindField(kind, idName, DeclarationOrder);
    const int satField = m_layouts.FindField(kind, "sat_id", DeclarationOrder);
    const int tpField = m_layouts.FindField(kind, "tp_id", DeclarationOrder);
    const int highest = kind == KindSatellite ? 254 : 1023;
    std::vector<bool> taken(size_t(highest) + 1, false);

    auto valueOf = [&](int slot, int field) -> int {
        int32_t value = 0;
        if (field < 0 || !GetNodeInt(kind, slot, field, value, 0, DeclarationOrder))
            return -1;
        return value;
    };
    for (int slot = 0; slot < Count(kind); ++slot) {
        if (!IsUsed(kind, slot))
            continue;
        if (kind != KindSatellite && valueOf(slot, satField) != parentSatId)
            continue;
        if (kind == KindProgram && valueOf(slot, tpField) != parentTpId)
            continue;
        const int v = valueOf(slot, idField);
        if (v >= 1 && v <= highest)
            taken[size_t(v)] = true;
    }
    for (int id = 1; id <= highest; ++id) {
        if (!taken[size_t(id)])
            return id;
    }
    return 0;
}

const FieldDesc *CChannelDb::AccessibleField(NodeKind kind, int node, int field, FieldOrder order, const char *rangeMessage,
                                             size_t &offset) const
{
    if (!IsNodeKind(kind) || node < 0 || node >= Count(kind) || m_tables[KindSlot(kind)].slots[size_t(node)] < 0)
        return nullptr;
    const FieldDesc *desc = m_layouts.Field(kind, field, order);
    if (!desc || !LayoutsInStep())
        return nullptr;
    offset = size_t(m_tables[KindSlot(kind)].slots[size_t(node)]);
    if (offset + FieldCodec::FieldEnd(*desc) > UsedLimit()) {
        m_prompt.ShowMessage(QString::fromLatin1(rangeMessage));
        return nullptr;
    }
    return desc;
}

bool CChannelDb::GetNodeData(NodeKind kind, int node, int field, std::string &out, int element, FieldOrder order) const
{
    size_t offset = 0;
    const FieldDesc *desc = AccessibleField(kind, node, field, order, "GetNodeData: Out of Range", offset);
    return desc && FieldCodec::Read(*desc, m_pool.get() + offset, UsedLimit() - offset, element, out);
}

bool CChannelDb::SetNodeData(NodeKind kind, int node, int field, std::string_view text, FieldOrder order)
{
    size_t offset = 0;
    const FieldDesc *desc = AccessibleField(kind, node, field, order, "SetNodeData: Out of Range", offset);
    return desc && FieldCodec::Write(*desc, m_pool.get() + offset, UsedLimit() - offset, text);
}

bool CChannelDb::GetNodeInt(NodeKind kind, int node, int field, int32_t &out, int element, FieldOrder order) const
{
    size_t offset = 0;
    const FieldDesc *desc = AccessibleField(kind, node, field, order, "GetNodeData: Out of Range", offset);
    return desc && FieldCodec::ReadInt(*desc, m_pool.get() + offset, UsedLimit() - offset, element, out);
}

bool CChannelDb::SetNodeInt(NodeKind kind, int node, int field, uint32_t value, FieldOrder order)
{
    size_t offset = 0;
    const FieldDesc *desc = AccessibleField(kind, node, field, order, "SetNodeData: Out of Range", offset);
    return desc && FieldCodec::WriteInt(*desc, m_pool.get() + offset, UsedLimit() - offset, value);
}

size_t CChannelDb::UsedLimit() const
{
    // Only bytes in use belong to records; the rest of the pool is not even initialised.
    return m_hasPool ? size_t(std::clamp(m_used, 0, m_capacity)) : 0;
}

int CChannelDb::CachedIndex(int slot, NodeKind kind, const char *name) const
{
    int &cached = m_cachedIndexes[size_t(slot)];
    if (cached == -1)
        cached = m_layouts.FindField(kind, name, PositionOrder);
    return cached;
}

int CChannelDb::SatIdOfSatellite() const { return CachedIndex(SatIdSat, KindSatellite, "sat_id"); }
int CChannelDb::SatIdOfTransponder() const { return CachedIndex(SatIdTp, KindTransponder, "sat_id"); }
int CChannelDb::SatIdOfProgram() const { return CachedIndex(SatIdProg, KindProgram, "sat_id"); }
int CChannelDb::TpIdOfTransponder() const { return CachedIndex(TpIdTp, KindTransponder, "tp_id"); }
int CChannelDb::TpIdOfProgram() const { return CachedIndex(TpIdProg, KindProgram, "tp_id"); }
int CChannelDb::SatNameOfSatellite() const { return CachedIndex(SatNameSat, KindSatellite, "satname"); }

void CChannelDb::LoadDefaultFavourites(const ProfileStore &profile)
{
    auto record = std::make_unique<FavouriteRecord>();
    record->type = 1;
    record->typeName = "Favorite Group";
    record->count = 32;
    record->nameLength = 18;
    record->extra = 0;
    record->dataLength = 3 + 32 * 18;
    for (int i = 0; i < 32; ++i) {
        const QString name = profile.ReadString(QStringLiteral("Project Favor Group"), QStringLiteral("FavGroup%1").arg(i));
        record->names.push_back(CutUtf8(name.toStdString(), record->nameLength));
    }
    m_favourites = std::move(record);
}

void CChannelDb::SetExtraBlock(QByteArray block)
{
    m_extraBlock = std::move(block);
    m_hasExtraBlock = true;
}
