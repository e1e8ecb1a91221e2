// The 32 favourite-group keys and names the channel list and the program dialog show.
#pragma once

#include <array>
#include <string>

class CChannelDb;
class ProfileStore;

struct FavouriteNameRecord
{
    std::string key;   // "%d" of the group's bit value 1 << i as a signed 32-bit number
    std::string name;  // the group's display name, at most kFavouriteNameBytes bytes
};

constexpr int kFavouriteNameCount = 32;
// The table's names are kept to what its 64-byte, zero-terminated records hold.
constexpr size_t kFavouriteNameBytes = 63;

using FavouriteNameTable = std::array<FavouriteNameRecord, kFavouriteNameCount>;

// Record i is group i + 1: its name from the database's favourite-group table when that table has
// the name, otherwise the profile entry "FavGroup<i>" of section "Project Favor Group" (default
// empty). Longer names are cut on a character boundary.
FavouriteNameTable BuildFavouriteNameTable(const CChannelDb &db, const ProfileStore &profile);
