// The in-memory channel database: record pool, node tables, favourites and kept sub-chunks.
#pragma once

#include "database/NodeTable.h"
#include "layout/FieldDesc.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct FieldDesc;
class LayoutSet;
class ProfileStore;
class UserPrompt;

// Ownership: the database keeps a reference to the layouts its records are laid out in, so the
// layouts are created first and outlive it (the editor's frame owns both, layouts first, and lends
// the layouts to the channel list). A database remembers the layouts' generation when it gets its
// pool; once the layouts change under a loaded database (a new template while a file is open)
// every field access fails until the database is cleared or loaded again, so no record is ever
// read through the descriptions of another layout.
//
// Record pointers: Record() points into the pool. AllocateNode, ReviveNode and Rearrange may
// compact the pool and so move every record; Clear, CreateEmpty and loading replace it. Never hold
// a pointer from Record() across these calls. Slot order operations (SwapSlots, RotateSlots) move
// slot-map entries, not records.
class CChannelDb
{
    friend class CChannelDbLoader;

public:
    static constexpr int kPoolCapacity = 8520960;
    // The most nodes of a kind a file may hold (table rows; satellite ids are fewer, see the
    // generator). The reader, the writers, the generator and the dialogs all keep to MaxNodes.
    static constexpr int kMaxSatelliteNodes = 1000;
    static constexpr int kMaxTransponders = 6000;
    static constexpr int kMaxPrograms = 30000;
    static constexpr int MaxNodes(NodeKind kind)
    {
        return kind == KindSatellite ? kMaxSatelliteNodes : kind == KindTransponder ? kMaxTransponders
             : kind == KindProgram   ? kMaxPrograms
                                     : 0;
    }

    CChannelDb(const LayoutSet &layouts, UserPrompt &prompt);
    CChannelDb(const CChannelDb &) = delete;
    CChannelDb &operator=(const CChannelDb &) = delete;

    const LayoutSet &Layouts() const { return m_layouts; }
    UserPrompt &Prompt() const { return m_prompt; }

    // --- state ---
    // Releases everything and returns to the empty state; the capacity keeps its value.
    void Clear();
    // The loaded state without nodes: a pool of the capacity and three named, empty tables.
    void CreateEmpty();
    bool HasPool() const { return m_hasPool; }
    // False once the layouts changed after the pool was set up: the records no longer match them.
    bool LayoutsInStep() const;

    // --- nodes ---
    // The table of a node kind (0 transponder, 1 satellite, 2 program); null for any other kind.
    const NodeTable *Table(NodeKind kind) const;
    int Count(NodeKind kind) const;                       // number of slots, 0 for a bad kind
    bool IsUsed(NodeKind kind, int slot) const;
    int LiveCount(NodeKind kind) const;                   // number of used slots
    // The record of a used slot, null for a free or out-of-range slot. See "Record pointers".
    const uint8_t *Record(NodeKind kind, int slot) const;
    uint8_t *Record(NodeKind kind, int slot);
    // Adds a zeroed record and returns its slot, or -1. May move records.
    int AllocateNode(NodeKind kind);
    void DeleteNode(NodeKind kind, int slot);
    // Gives a free slot (one that DeleteNode freed) a record again with the given bytes, which must
    // be a whole record of the kind; used to undo a deletion. May move records.
    bool ReviveNode(NodeKind kind, int slot, const std::vector<uint8_t> &record);
    // A copy of a used slot's record, empty for a free slot.
    std::vector<uint8_t> RecordBytes(NodeKind kind, int slot) const;
    // Overwrites a used slot's record with a whole record of the kind (undo and redo of an edit).
    bool SetRecordBytes(NodeKind kind, int slot, const std::vector<uint8_t> &record);
    // Compacts the pool: records back to back in kind and slot order. Moves records.
    bool Rearrange();
    // The lowest unused id under a parent (satellites: none; transponders: satellite id;
    // programs: satellite and transponder id); 0 when all are taken, -1 without layouts.
    int FindFreeId(NodeKind kind, int parentSatId = 0, int parentTpId = 0) const;

    // --- slot order: the order of the nodes in their table and in the saved file ---
    // Exchanges the slot-map entries of two slots (either may be free). False for a bad kind or
    // a slot outside the table; nothing changes then.
    bool SwapSlots(NodeKind kind, int a, int b);
    // Moves the entry of slot `from` to slot `to`; the entries between shift by one place towards
    // `from`. Applying RotateSlots(kind, to, from) undoes it.
    bool RotateSlots(NodeKind kind, int from, int to);

    int Capacity() const { return m_capacity; }
    int Used() const { return m_used; }

    // --- field access by node ---
    bool GetNodeData(NodeKind kind, int node, int field, std::string &out, int element, FieldOrder order) const;
    bool SetNodeData(NodeKind kind, int node, int field, std::string_view text, FieldOrder order);
    // The same as numbers, without a text round trip: the value GetNodeData formats as its text
    // (an Integer field or one IntArray element; a 32-bit field reads signed), and the value
    // SetNodeData stores for the text of that number. Text fields are not numbers here.
    bool GetNodeInt(NodeKind kind, int node, int field, int32_t &out, int element, FieldOrder order) const;
    bool SetNodeInt(NodeKind kind, int node, int field, uint32_t value, FieldOrder order);

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
    // Loading, reached through CChannelDbLoader.
    std::vector<LoadEntry> *LoadList(NodeKind kind);
    void BuildSlotMaps();
    bool TransferToDb3();
    uint8_t *PoolData() { return m_pool.get(); }
    size_t PoolSize() const { return m_hasPool ? size_t(m_capacity) : 0; }
    void SetUsed(int used) { m_used = used; }

    static void ResetTable(NodeTable &table);
    int CachedIndex(int slot, NodeKind kind, const char *name) const;
    size_t UsedLimit() const;
    NodeTable *MutableTable(NodeKind kind);
    // The slot's record offset and the field, when a field access may go ahead (range message shown).
    const FieldDesc *AccessibleField(NodeKind kind, int node, int field, FieldOrder order, const char *rangeMessage,
                                     size_t &offset) const;
    void EnsureBuffers();

    const LayoutSet &m_layouts;
    UserPrompt &m_prompt;

    std::array<std::vector<LoadEntry>, 3> m_loadLists;  // by node kind
    mutable std::array<int, 6> m_cachedIndexes;
    std::unique_ptr<FavouriteRecord> m_favourites;
    std::array<NodeTable, 3> m_tables;                   // by node kind
    // The pool and the compaction/transfer work area: allocated once, uninitialised, and kept for
    // the database's life, so a load costs what its file holds, not what the capacity is.
    std::unique_ptr<uint8_t[]> m_pool;
    std::unique_ptr<uint8_t[]> m_work;
    bool m_hasPool = false;
    int m_capacity = kPoolCapacity;
    int m_used = 0;
    uint64_t m_layoutGeneration = 0;
    QByteArray m_extraBlock;
    bool m_hasExtraBlock = false;
};
