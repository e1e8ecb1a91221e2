// Programs that are the same service: grouping, the member that stays, and the deletion as data.
#pragma once

#include "database/ProgramFacts.h"
#include "database/ProgramListEdit.h"

#include <optional>
#include <vector>

class CChannelDb;

// How sure a group is: every member has the same service id on the same transponder, or some
// members are tied only by the same name and type on the same satellite.
enum class DuplicateRule { SameService, SameName };

// Which member of a group stays.
enum class KeepRule {
    FirstInOrder,   // the first in channel order
    MostGroups,     // the one in most favourite groups (the first of those)
    FreeToAir,      // the first free-to-air one, else the first
};

std::optional<KeepRule> KeepRuleFromName(const QString &name);  // "first", "groups", "fta"

struct DuplicateMember
{
    ProgramFacts program;
    bool sameService = false;  // another member has its service id on its transponder
    bool sameName = false;     // another member has its name and type on its satellite
};

struct DuplicateGroup
{
    DuplicateRule rule = DuplicateRule::SameService;
    std::vector<DuplicateMember> members;  // in channel order, two or more
    int keep = 0;                          // index of the member that stays
};

// The groups of the programs (in channel order), each with the member the rule keeps. A program
// tied to two groups by different rules joins them into one, so each program is in one group at
// most. A service id of 0 (a channel entered by hand) and an empty name tie nothing.
std::vector<DuplicateGroup> FindDuplicates(const std::vector<ProgramFacts> &programs, KeepRule rule);
std::vector<DuplicateGroup> FindDuplicates(const CChannelDb &db, KeepRule rule);
int ChooseKeeper(const DuplicateGroup &group, KeepRule rule);

// The edit that removes duplicates: the members not kept, and the kept members' new favourite
// bits, the union of their groups' memberships.
struct DuplicateRemoval
{
    std::vector<int32_t> deleteSlots;  // ascending
    std::vector<GroupBitsChange> groupChanges;
};
// A group whose keep index is out of range keeps its first member.
DuplicateRemoval PlanDuplicateRemoval(const std::vector<DuplicateGroup> &groups);
// Writes the favourite bits, then deletes. False, with nothing changed, when a slot is free.
bool ApplyDuplicateRemoval(CChannelDb &db, const DuplicateRemoval &removal);
