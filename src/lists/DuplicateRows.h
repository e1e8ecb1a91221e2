// The texts of the Find Duplicates window's rows, without a window.
#pragma once

#include "database/DuplicateFinder.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <unordered_map>
#include <vector>

// The columns of a member row; a group row puts its title in the first.
enum class DuplicateColumn { Keep, Index, Name, Transponder, Pids, Scrambled, Groups, Count };

QStringList DuplicateColumnTitles();

// "Group 2: same service id on one transponder, 3 programs"
QString DuplicateGroupTitle(const DuplicateGroup &group, int number);

// Position (1-based) of each live program in channel order, by slot: the Index the list shows
// for the whole database.
std::unordered_map<int32_t, int> ChannelNumbers(const std::vector<ProgramFacts> &programs);

// One member's cells in DuplicateColumn order. `channelNumber` 0 shows the slot instead.
QStringList DuplicateMemberTexts(const DuplicateMember &member, int channelNumber, bool kept);

// Favourite groups as "1, 5, 12", or "-" for none.
QString FavouriteGroupList(uint32_t groups);

// The closing line: "4 groups; 5 programs would be deleted".
QString DuplicateSummary(const std::vector<DuplicateGroup> &groups);

QString KeepRuleTitle(KeepRule rule);
