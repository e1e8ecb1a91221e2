// The database reader's access to the loading internals of CChannelDb, kept off its public face.
#pragma once

#include "database/CChannelDb.h"

class CChannelDbLoader
{
public:
    explicit CChannelDbLoader(CChannelDb &db) : m_db(db) {}

    // The loading list of a node kind, null for any other kind.
    std::vector<LoadEntry> *LoadList(NodeKind kind) { return m_db.LoadList(kind); }
    // One slot per loading-list entry, in list order.
    void BuildSlotMaps() { m_db.BuildSlotMaps(); }
    // Rewrites every loaded DB4 record as a DB3 record.
    bool TransferToDb3() { return m_db.TransferToDb3(); }
    // The pool (PoolSize bytes once CreateEmpty ran), for the reader to inflate into; SetUsed
    // tells how many bytes it filled.
    uint8_t *PoolData() { return m_db.PoolData(); }
    size_t PoolSize() const { return m_db.PoolSize(); }
    void SetUsed(int used) { m_db.SetUsed(used); }

private:
    CChannelDb &m_db;
};
