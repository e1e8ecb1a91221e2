// Three passes over the reference with hashed keys, so a 30000-program list matches in one sweep each.
#include "database/ReferenceMatcher.h"

#include <QHash>

#include <cstdlib>
#include <unordered_map>

namespace {

constexpr int32_t kTerrestrialOrbit = 0x10000;  // outside 0..3600: no satellite has it

// The satellite by orbital position, or nullopt when the program's satellite has none known.
std::optional<int32_t> OrbitIdentity(const ProgramFacts &p)
{
    if (p.terrestrial)
        return kTerrestrialOrbit;
    if (p.orbit >= 0)
        return p.orbit;
    return std::nullopt;
}

uint64_t Pack(int64_t high, int64_t middle, int64_t low)
{
    return (uint64_t(high & 0x1FFFFF) << 40) | (uint64_t(middle & 0xFF) << 32) | uint64_t(uint32_t(low));
}

// Candidates of one key in our channel order; `next` skips those already taken from the front.
struct Candidates
{
    std::vector<int> ours;
    size_t next = 0;
};

using KeyIndex = std::unordered_map<uint64_t, Candidates>;

struct NameKeyOf
{
    QString name;
    bool tv;
    bool operator==(const NameKeyOf &) const = default;
};

size_t qHash(const NameKeyOf &key, size_t seed = 0)
{
    return qHashMulti(seed, key.name, key.tv);
}

// The first candidate not taken yet.
int FirstFree(Candidates &c, const std::vector<uint8_t> &taken)
{
    while (c.next < c.ours.size() && taken[size_t(c.ours[c.next])])
        ++c.next;
    return c.next < c.ours.size() ? c.ours[c.next] : -1;
}

bool SameFrequency(const ProgramFacts &a, const ProgramFacts &b)
{
    if (a.frequency < 0 || b.frequency < 0)
        return false;
    if (a.terrestrial)
        return a.frequency == b.frequency;
    return std::abs(a.frequency - b.frequency) <= kSatelliteFrequencyTolerance;
}

} // namespace

const char *MatchKindName(MatchKind kind)
{
    switch (kind) {
    case MatchKind::Position:
        return "position";
    case MatchKind::ServiceId:
        return "id";
    case MatchKind::Name:
        return "name";
    case MatchKind::None:
        break;
    }
    return "none";
}

ReferenceMatching MatchReference(const std::vector<ProgramFacts> &ours, const std::vector<ProgramFacts> &reference)
{
    ReferenceMatching result;
    result.rows.resize(reference.size());
    for (size_t r = 0; r < reference.size(); ++r)
        result.rows[r].referenceIndex = int(r);
    std::vector<uint8_t> taken(ours.size(), 0);

    KeyIndex byPosition;   // orbit, polarisation, service id
    KeyIndex byOrbitId;    // orbit, service id
    KeyIndex bySatId;      // satellite id, service id
    QHash<NameKeyOf, Candidates> byName;
    byPosition.reserve(ours.size());
    byOrbitId.reserve(ours.size());
    bySatId.reserve(ours.size());
    byName.reserve(qsizetype(ours.size()));
    for (size_t i = 0; i < ours.size(); ++i) {
        const ProgramFacts &p = ours[i];
        if (p.serviceId != 0) {
            if (const std::optional<int32_t> orbit = OrbitIdentity(p)) {
                byPosition[Pack(*orbit, p.polarisation, p.serviceId)].ours.push_back(int(i));
                byOrbitId[Pack(*orbit, 0, p.serviceId)].ours.push_back(int(i));
            }
            bySatId[Pack(p.key.satId, 0, p.serviceId)].ours.push_back(int(i));
        }
        QString name = NameKey(p.name);
        if (!name.isEmpty())
            byName[NameKeyOf {std::move(name), p.tv}].ours.push_back(int(i));
    }

    auto take = [&](size_t r, int i, MatchKind how) {
        taken[size_t(i)] = 1;
        result.rows[r].ourSlot = ours[size_t(i)].slot;
        result.rows[r].how = how;
        ++result.matchedCount;
    };

    // Position: among our programs with the same satellite, polarisation and service id, the
    // nearest frequency within the tolerance (the first of equally near ones).
    for (size_t r = 0; r < reference.size(); ++r) {
        const ProgramFacts &ref = reference[r];
        const std::optional<int32_t> orbit = OrbitIdentity(ref);
        if (ref.serviceId == 0 || !orbit || ref.frequency < 0)
            continue;
        const auto found = byPosition.find(Pack(*orbit, ref.polarisation, ref.serviceId));
        if (found == byPosition.end())
            continue;
        int best = -1;
        for (const int i : found->second.ours) {
            const ProgramFacts &p = ours[size_t(i)];
            if (taken[size_t(i)] || !SameFrequency(ref, p))
                continue;
            if (best < 0 || std::abs(p.frequency - ref.frequency) < std::abs(ours[size_t(best)].frequency - ref.frequency))
                best = i;
        }
        if (best >= 0)
            take(r, best, MatchKind::Position);
    }

    for (size_t r = 0; r < reference.size(); ++r) {
        const ProgramFacts &ref = reference[r];
        if (result.rows[r].ourSlot >= 0 || ref.serviceId == 0)
            continue;
        const std::optional<int32_t> orbit = OrbitIdentity(ref);
        KeyIndex &index = orbit ? byOrbitId : bySatId;
        const auto found = index.find(Pack(orbit ? *orbit : ref.key.satId, 0, ref.serviceId));
        if (found == index.end())
            continue;
        if (const int i = FirstFree(found->second, taken); i >= 0)
            take(r, i, MatchKind::ServiceId);
    }

    for (size_t r = 0; r < reference.size(); ++r) {
        if (result.rows[r].ourSlot >= 0)
            continue;
        const auto found = byName.find(NameKeyOf {NameKey(reference[r].name), reference[r].tv});
        if (found == byName.end())
            continue;
        if (const int i = FirstFree(*found, taken); i >= 0)
            take(r, i, MatchKind::Name);
    }

    result.newSequence.reserve(ours.size());
    for (const ReferenceMatch &row : result.rows) {
        if (row.ourSlot >= 0)
            result.newSequence.push_back(row.ourSlot);
    }
    for (size_t i = 0; i < ours.size(); ++i) {
        if (!taken[i]) {
            result.unmatchedOurs.push_back(ours[i].slot);
            result.newSequence.push_back(ours[i].slot);
        }
    }
    return result;
}

std::vector<GroupBitsChange> ReferenceGroupChanges(const std::vector<ProgramFacts> &ours,
                                                   const std::vector<ProgramFacts> &reference,
                                                   const ReferenceMatching &matching)
{
    std::unordered_map<int32_t, uint32_t> bitsOfSlot;
    for (const ProgramFacts &p : ours)
        bitsOfSlot.emplace(p.slot, p.groups);
    std::vector<GroupBitsChange> changes;
    for (const ReferenceMatch &row : matching.rows) {
        if (row.ourSlot < 0 || row.referenceIndex < 0 || size_t(row.referenceIndex) >= reference.size())
            continue;
        const auto before = bitsOfSlot.find(row.ourSlot);
        const uint32_t after = reference[size_t(row.referenceIndex)].groups;
        if (before != bitsOfSlot.end() && before->second != after)
            changes.push_back({row.ourSlot, before->second, after});
    }
    return changes;
}
