// DB4 <-> DB3: the fixed region, the terrestrial stretch and the variable-length parts.
#include "database/RecordConverter.h"

#include "core/ByteOrder.h"
#include "layout/FieldCodec.h"
#include "layout/LayoutSet.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kMaxStoredTextBytes = 32;  // names and provider names in a DB4 record

// A plain library call: inlined as "rep movs", short copies of names and arrays cost several
// times what the C library's copy takes, and the load of a large database makes 30000 of them.
[[gnu::noinline]] void CopyBytes(uint8_t *target, const uint8_t *source, size_t count)
{
    std::memcpy(target, source, count);
}

size_t FieldBytes(const FieldDesc *field)
{
    return field ? size_t(field->sizeBits / 8) : 0;
}

} // namespace

RecordConverter::IntSlot RecordConverter::MakeIntSlot(const FieldDesc *field, size_t nodeSize)
{
    IntSlot slot;
    // Only Integer fields inside the record; anything else is left alone, as WriteInt would.
    if (!field || field->kind != FieldKind::Integer || field->wordIndex < 0 || field->bitOffset < 0
        || field->sizeBits < 0 || FieldCodec::FieldEnd(*field) > nodeSize)
        return slot;
    slot.present = true;
    slot.start = uint32_t(field->wordIndex) * 4;
    slot.bytes = uint32_t(FieldCodec::FieldEnd(*field)) - slot.start;
    slot.first = uint32_t(field->bitOffset / 8);
    slot.shift = uint32_t(field->bitOffset);
    slot.mask = field->bitWidth < 32 ? ((1u << field->bitWidth) - 1u) << field->bitOffset : 0xFFFFFFFFu;
    return slot;
}

RecordConverter::RecordConverter(const LayoutSet &layouts) : m_layouts(layouts)
{
    for (NodeKind kind : kTableKinds)
        m_plans[KindSlot(kind)] = MakePlan(kind);
}

RecordConverter::Plan RecordConverter::MakePlan(NodeKind kind) const
{
    Plan plan;
    const std::vector<FieldDesc> *fields = m_layouts.Declarations(kind);
    plan.nodeSize = m_layouts.NodeSize(kind);
    if (!fields || plan.nodeSize == 0)
        return plan;

    auto byName = [&](const char *name) -> const FieldDesc * {
        const int index = m_layouts.FindField(kind, name, DeclarationOrder);
        return index >= 0 ? &(*fields)[size_t(index)] : nullptr;
    };
    plan.satId = byName("sat_id");
    plan.tpId = byName("tp_id");
    plan.progId = byName("prog_id");

    size_t fixedEnd = fields->size();
    int64_t bits = 0;
    for (size_t i = 0; i < fields->size(); ++i) {
        const std::string &name = (*fields)[i].name;
        if (name == "cas_count" || name == "audio_count" || name == "name_len" || name == "provider_name_len") {
            fixedEnd = i;
            break;
        }
        if (name == "sat_id" || name == "tp_id" || name == "prog_id")
            plan.fixedStart += 4;
        else
            bits += (*fields)[i].sizeBits;
    }
    if (bits % 8 != 0)
        return plan;
    plan.fixedLength = size_t(bits / 8);
    if (plan.fixedStart + plan.fixedLength > size_t(plan.nodeSize))
        return plan;
    // The last words of the fixed region are stored only for terrestrial nodes.
    plan.shortenBy = std::min(plan.fixedLength, size_t(kind == KindTransponder ? 4 : kind == KindProgram ? 8 : 0));

    const int audioLang = m_layouts.FindField(kind, "audio_lang", DeclarationOrder);
    for (size_t i = fixedEnd; i < fields->size(); ++i) {
        const std::string &name = (*fields)[i].name;
        VariableGroup group;
        group.count = &(*fields)[i];
        if (name == "cas_count") {
            group.group = Group::Cas;
            group.data[0] = byName("cas_sysid");
        } else if (name == "audio_count") {
            group.group = Group::Audio;
            if (audioLang > 0) {
                group.data[0] = &(*fields)[size_t(audioLang - 1)];
                group.data[1] = &(*fields)[size_t(audioLang)];
            }
        } else if (name == "name_len") {
            group.group = Group::Name;
            group.data[0] = byName("Service Name");
            if (!group.data[0])
                group.data[0] = byName("satname");
        } else if (name == "provider_name_len") {
            group.group = Group::Provider;
            group.data[0] = byName("service_provider_name");
        } else {
            continue;
        }
        // Companions must lie inside the record; a template that says otherwise has no plan.
        for (const FieldDesc *data : group.data) {
            if (data && FieldCodec::ByteStart(*data) + FieldBytes(data) > size_t(plan.nodeSize))
                return plan;
        }
        if (FieldCodec::FieldEnd(*group.count) > size_t(plan.nodeSize))
            return plan;
        group.countSlot = MakeIntSlot(group.count, size_t(plan.nodeSize));
        plan.groups.push_back(group);
    }
    plan.satIdSlot = MakeIntSlot(plan.satId, size_t(plan.nodeSize));
    plan.tpIdSlot = MakeIntSlot(kind != KindSatellite ? plan.tpId : nullptr, size_t(plan.nodeSize));
    plan.progIdSlot = MakeIntSlot(kind == KindProgram ? plan.progId : nullptr, size_t(plan.nodeSize));
    plan.valid = true;
    return plan;
}

bool RecordConverter::Db4ToDb3(NodeKind kind, uint8_t *destination, size_t destinationSize, const uint8_t *record,
                               size_t available) const
{
    if (!IsValid(kind) || !destination || !record || destinationSize < size_t(m_plans[KindSlot(kind)].nodeSize))
        return false;
    const Plan &plan = m_plans[KindSlot(kind)];
    if (available < 5)
        return false;
    const uint32_t id = ByteOrder::ReadLe32(record);
    const bool terrestrial = SatIdOf(id) == kTerrestrialSatId;
    const size_t fixed = plan.fixedLength - (terrestrial ? 0 : plan.shortenBy);
    if (available < 5 + fixed)
        return false;
    std::memcpy(destination + plan.fixedStart, record + 5, fixed);

    plan.satIdSlot.Write(destination, SatIdOf(id));
    plan.tpIdSlot.Write(destination, TpIdOf(id));
    plan.progIdSlot.Write(destination, ProgIdOf(id));

    size_t cursor = 5 + fixed;
    for (const VariableGroup &group : plan.groups) {
        if (cursor >= available)
            return false;
        const size_t count = record[cursor++];
        const bool isText = group.group == Group::Name || group.group == Group::Provider;
        const size_t bytesPerPart = isText ? count : 2 * count;
        const int parts = group.group == Group::Audio ? 2 : 1;
        if (available - cursor < bytesPerPart * size_t(parts))
            return false;  // the record runs past the end of the data
        size_t stored = count;
        for (int part = 0; part < parts; ++part) {
            const FieldDesc *data = group.data[size_t(part)];
            const size_t capacity = FieldBytes(data);
            const size_t copied = std::min(bytesPerPart, capacity);
            if (data) {
                uint8_t *target = destination + FieldCodec::ByteStart(*data);
                CopyBytes(target, record + cursor, copied);
                std::memset(target + copied, 0, capacity - copied);
            }
            // A count beyond the DB3 field is clamped to what the field holds.
            stored = std::min(stored, isText ? copied : copied / 2);
            cursor += bytesPerPart;
        }
        group.countSlot.Write(destination, uint32_t(stored));
    }
    return true;
}

int RecordConverter::Db3ToDb4(NodeKind kind, std::vector<uint8_t> &out, const uint8_t *record, size_t recordSize) const
{
    if (!IsValid(kind) || !record || recordSize < size_t(m_plans[KindSlot(kind)].nodeSize))
        return -1;
    const Plan &plan = m_plans[KindSlot(kind)];
    const uint32_t id = NodeIdOf(kind, record, recordSize);
    const bool terrestrial = kind == KindSatellite || SatIdOf(id) == kTerrestrialSatId;
    const size_t fixed = plan.fixedLength - (terrestrial ? 0 : plan.shortenBy);

    const size_t start = out.size();
    out.resize(start + 5);
    out.insert(out.end(), record + plan.fixedStart, record + plan.fixedStart + fixed);

    for (const VariableGroup &group : plan.groups) {
        int32_t countValue = 0;
        FieldCodec::ReadInt(*group.count, record, recordSize, 0, countValue);
        size_t count = size_t(uint32_t(countValue) & 0xFF);
        const bool isText = group.group == Group::Name || group.group == Group::Provider;
        const int parts = group.group == Group::Audio ? 2 : 1;
        // The count byte must describe the bytes that follow: clamp it to what the fields hold.
        for (int part = 0; part < parts; ++part) {
            const size_t capacity = FieldBytes(group.data[size_t(part)]);
            count = std::min(count, isText ? std::min(capacity, kMaxStoredTextBytes) : capacity / 2);
        }
        out.push_back(uint8_t(count));
        for (int part = 0; part < parts; ++part) {
            const FieldDesc *data = group.data[size_t(part)];
            if (!data)
                continue;
            const uint8_t *source = record + FieldCodec::ByteStart(*data);
            out.insert(out.end(), source, source + (isText ? count : 2 * count));
        }
    }
    const size_t length = out.size() - start;
    ByteOrder::WriteLe32(out.data() + start, id);
    out[start + 4] = uint8_t((length - 4) % 256);
    return int(length);
}

uint32_t RecordConverter::NodeIdOf(NodeKind kind, const uint8_t *record, size_t recordSize) const
{
    if (!IsTableKind(kind))
        return 0;
    const Plan &plan = m_plans[KindSlot(kind)];
    int32_t sat = 0, tp = 0, prog = 0;
    if (plan.satId)
        FieldCodec::ReadInt(*plan.satId, record, recordSize, 0, sat);
    if (plan.tpId && kind != KindSatellite)
        FieldCodec::ReadInt(*plan.tpId, record, recordSize, 0, tp);
    if (plan.progId && kind == KindProgram)
        FieldCodec::ReadInt(*plan.progId, record, recordSize, 0, prog);
    return ((uint32_t(sat) & 0xFF) << 20) | ((uint32_t(tp) & 0x3FF) << 10) | (uint32_t(prog) & 0x3FF);
}
