// Groups programs by service and by name with a union-find over the channel order.
#include "database/DuplicateFinder.h"

#include "database/CChannelDb.h"

#include <QHash>

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace {

class UnionFind
{
public:
    explicit UnionFind(size_t n) : m_parent(n) { std::iota(m_parent.begin(), m_parent.end(), size_t(0)); }
    size_t Root(size_t i)
    {
        while (m_parent[i] != i) {
            m_parent[i] = m_parent[m_parent[i]];
            i = m_parent[i];
        }
        return i;
    }
    // The lower index becomes the root, so a group's root is its first member.
    void Join(size_t a, size_t b)
    {
        a = Root(a);
        b = Root(b);
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<size_t> m_parent;
};

uint64_t ServiceKey(const ProgramFacts &p)
{
    return (uint64_t(uint16_t(p.key.satId)) << 48) | (uint64_t(uint16_t(p.key.tpId)) << 32) | uint32_t(p.serviceId);
}

struct NameTie
{
    int32_t satId;
    bool tv;
    QString name;
    bool operator==(const NameTie &) const = default;
};

size_t qHash(const NameTie &tie, size_t seed = 0)
{
    return qHashMulti(seed, tie.satId, tie.tv, tie.name);
}

} // namespace

std::optional<KeepRule> KeepRuleFromName(const QString &name)
{
    if (name == QLatin1String("first"))
        return KeepRule::FirstInOrder;
    if (name == QLatin1String("groups"))
        return KeepRule::MostGroups;
    if (name == QLatin1String("fta"))
        return KeepRule::FreeToAir;
    return std::nullopt;
}

std::vector<DuplicateGroup> FindDuplicates(const std::vector<ProgramFacts> &programs, KeepRule rule)
{
    UnionFind sets(programs.size());
    std::vector<uint8_t> serviceTied(programs.size(), 0);
    std::vector<uint8_t> nameTied(programs.size(), 0);
    std::unordered_map<uint64_t, size_t> firstOfService;
    QHash<NameTie, size_t> firstOfName;
    firstOfService.reserve(programs.size());
    firstOfName.reserve(qsizetype(programs.size()));
    for (size_t i = 0; i < programs.size(); ++i) {
        const ProgramFacts &p = programs[i];
        if (p.serviceId != 0) {
            const auto [first, inserted] = firstOfService.emplace(ServiceKey(p), i);
            if (!inserted) {
                sets.Join(first->second, i);
                serviceTied[first->second] = serviceTied[i] = 1;
            }
        }
        QString name = NameKey(p.name);
        if (!name.isEmpty()) {
            const NameTie tie {p.key.satId, p.tv, std::move(name)};
            const auto first = firstOfName.constFind(tie);
            if (first == firstOfName.cend()) {
                firstOfName.insert(tie, i);
            } else {
                sets.Join(*first, i);
                nameTied[*first] = nameTied[i] = 1;
            }
        }
    }

    // Members join the group of their root in channel order, so groups come in the order of
    // their first members.
    std::vector<DuplicateGroup> groups;
    std::unordered_map<size_t, size_t> groupOfRoot;
    for (size_t i = 0; i < programs.size(); ++i) {
        if (!serviceTied[i] && !nameTied[i])
            continue;
        const size_t root = sets.Root(i);
        auto [entry, inserted] = groupOfRoot.emplace(root, groups.size());
        if (inserted)
            groups.emplace_back();
        groups[entry->second].members.push_back({programs[i], serviceTied[i] != 0, nameTied[i] != 0});
    }
    for (DuplicateGroup &group : groups) {
        const uint64_t first = ServiceKey(group.members.front().program);
        const bool oneService = std::all_of(group.members.begin(), group.members.end(), [&](const DuplicateMember &m) {
            return m.sameService && ServiceKey(m.program) == first;
        });
        group.rule = oneService ? DuplicateRule::SameService : DuplicateRule::SameName;
        group.keep = ChooseKeeper(group, rule);
    }
    return groups;
}

std::vector<DuplicateGroup> FindDuplicates(const CChannelDb &db, KeepRule rule)
{
    return FindDuplicates(CollectProgramFacts(db), rule);
}

int ChooseKeeper(const DuplicateGroup &group, KeepRule rule)
{
    const std::vector<DuplicateMember> &members = group.members;
    switch (rule) {
    case KeepRule::FirstInOrder:
        return 0;
    case KeepRule::MostGroups: {
        int best = 0;
        for (size_t i = 1; i < members.size(); ++i) {
            if (GroupCount(members[i].program.groups) > GroupCount(members[size_t(best)].program.groups))
                best = int(i);
        }
        return best;
    }
    case KeepRule::FreeToAir:
        for (size_t i = 0; i < members.size(); ++i) {
            if (!members[i].program.scrambled)
                return int(i);
        }
        return 0;
    }
    return 0;
}

DuplicateRemoval PlanDuplicateRemoval(const std::vector<DuplicateGroup> &groups)
{
    DuplicateRemoval removal;
    for (const DuplicateGroup &group : groups) {
        if (group.members.empty())
            continue;
        const size_t keep = group.keep >= 0 && size_t(group.keep) < group.members.size() ? size_t(group.keep) : 0;
        uint32_t all = 0;
        for (size_t i = 0; i < group.members.size(); ++i) {
            all |= group.members[i].program.groups;
            if (i != keep)
                removal.deleteSlots.push_back(group.members[i].program.slot);
        }
        const ProgramFacts &kept = group.members[keep].program;
        if (all != kept.groups)
            removal.groupChanges.push_back({kept.slot, kept.groups, all});
    }
    std::sort(removal.deleteSlots.begin(), removal.deleteSlots.end());
    removal.deleteSlots.erase(std::unique(removal.deleteSlots.begin(), removal.deleteSlots.end()),
                              removal.deleteSlots.end());
    return removal;
}

bool ApplyDuplicateRemoval(CChannelDb &db, const DuplicateRemoval &removal)
{
    for (const int32_t slot : removal.deleteSlots) {
        if (!db.IsUsed(KindProgram, slot))
            return false;
    }
    if (!ApplyGroupBits(db, removal.groupChanges))
        return false;
    for (const int32_t slot : removal.deleteSlots)
        db.DeleteNode(KindProgram, slot);
    return true;
}
