// The favourite groups' rules in one place: how many, which bit, the field and the profile keys.
#pragma once

#include <QString>

#include <cstdint>

namespace FavouriteGroups {

// Groups are numbered 1..kCount; group g is bit g - 1 of a program's "Favorite Group" value.
constexpr int kCount = 32;
constexpr const char *kFieldName = "Favorite Group";

constexpr bool IsGroupNumber(int group) { return group >= 1 && group <= kCount; }
constexpr uint32_t Bit(int group) { return IsGroupNumber(group) ? uint32_t(1) << (group - 1) : 0; }

// The profile keeps the names user databases show: section "Project Favor Group", keys
// "FavGroup0".."FavGroup31" (the key of group g is FavGroup<g - 1>).
inline QString ProfileSection() { return QStringLiteral("Project Favor Group"); }
inline QString ProfileKey(int index) { return QStringLiteral("FavGroup%1").arg(index); }
// The name a group has before the user gives it one.
inline QString DefaultName(int index) { return QStringLiteral("Favor Group %1").arg(index + 1); }

} // namespace FavouriteGroups
