// The in-memory channel database: record pool, node tables, favourites and kept sub-chunks.
#pragma once

#include "core/DefaultInitAllocator.h"
#include "database/NodeTable.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class LayoutSet;
class ProfileStore;
class UserPrompt;

// Pool bytes beyond the used size are never read, so they need no initialisation.
using PoolVector = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;

class CChannelDb
{
public:
    static constexpr int kPoolCapacity = 8520960;
    static constexpr int kMaxSatellites = 1000;
    static constexpr int kMaxTransponders = 6000;
    static constexpr int kMaxPrograms = 30000;

    CChannelDb(const LayoutSet &layouts, UserPrompt &prompt);

    const LayoutSet &Layouts() const { return m_layouts; }
    UserPrompt &Prompt() const { return m_prompt; }

    // --- state ---
    // Releases everything and returns to the empty state; the capacity keeps its value.
    void Clear();
    // The loaded state without nodes: a pool of the capacity and three named, empty tables.
    void CreateEmpty();
    bool HasPool() const { return !m_pool.empty(); }
    static void ResetTable(NodeTable &table);

    // --- loading ---
    std::vector<LoadEntry> &LoadList(int kind);
    // One slot per loading-list entry, in list order.
    void BuildSlotMaps();
    // Rewrites every loaded DB4 record as a DB3 record.
    bool TransferToDb3();
    // The pool, for the reader to inflate into; SetUsed tells how many bytes it filled.
    PoolVector &PoolBytes() { return m_pool; }
    void SetUsed(int used) { m_used = used; }

    // --- nodes ---
    const NodeTable &Table(int kind) const;
    int Count(int kind) const;                       // number of slots
    bool IsUsed(int kind, int slot) const;
    int LiveCount(int kind) const;                   // number of used slots
    // The record of a used slot, null for a free or out-of-range slot.
    const uint8_t *Record(int kind, int slot) const;
    uint8_t *Record(int kind, int slot);
    // Adds a zeroed record and returns its slot, or -1.
    int AllocateNode(int kind);
    void DeleteNode(int kind, int slot);
    // Compacts the pool: records back to back in kind and slot order.
    bool Rearrange();
    // The lowest unused id under a parent (satellites: none; transponders: satellite id;
    // programs: satellite and transponder id); 0 when all are taken, -1 without layouts.
    int FindFreeId(int kind, int parentSatId = 0, int parentTpId = 0) const;

    int Capacity() const { return m_capacity; }
    int Used() const { return m_used; }
    const PoolVector &Pool() const { return m_pool; }

    // --- field access by node ---
    bool GetNodeData(int kind, int node, int field, std::string &out, int element, int order) const;
    bool SetNodeData(int kind, int node, int field, std::string_view text, int order);

    // Cached position-order indexes.
    int SatIdOfSatellite() const;
    int SatIdOfTransponder() const;
    int SatIdOfProgram() const;
    int TpIdOfTransponder() const;
    int TpIdOfProgram() const;
    int SatNameOfSatellite() const;

    // --- favourites and kept sub-chunks ---
    const FavouriteRecord *Favourites() const { return m_favourites.get(); }
    FavouriteRecord *Favourites() { return m_favourites.get(); }
    void SetFavourites(std::unique_ptr<FavouriteRecord> record) { m_favourites = std::move(record); }
    // Replaces the favourite record with 32 groups named from the profile.
    void LoadDefaultFavourites(const ProfileStore &profile);

    bool HasExtraBlock() const { return m_hasExtraBlock; }
    const QByteArray &ExtraBlock() const { return m_extraBlock; }
    void SetExtraBlock(QByteArray block);

private:
    int CachedIndex(int slot, int kind, const char *name) const;
    size_t UsedLimit() const;
    NodeTable *MutableTable(int kind);

    const LayoutSet &m_layouts;
    UserPrompt &m_prompt;

    std::array<std::vector<LoadEntry>, 3> m_loadLists;  // by node kind
    mutable std::array<int, 6> m_cachedIndexes;
    std::unique_ptr<FavouriteRecord> m_favourites;
    std::array<NodeTable, 3> m_tables;                   // by node kind
    PoolVector m_pool;
    PoolVector m_work;  // compaction and transfer target, kept between uses
    int m_capacity = kPoolCapacity;
    int m_used = 0;
    QByteArray m_extraBlock;
    bool m_hasExtraBlock = false;
};
