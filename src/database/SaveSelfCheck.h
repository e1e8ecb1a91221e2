// A save that checks itself: the new file's bytes are read back and compared with the open database.
#pragma once

#include "layout/NodeKind.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class CChannelDb;

// Before a writer replaces a file, its new bytes are loaded by the reader into a scratch database
// with the same layouts and compared with the open one, node by node (kind, then slot order of
// the nodes the writer keeps) and field by field in declaration order, on what the file stores:
// the open record is taken through its compact form and back, so that bytes no file keeps (the
// unused tail of a record, names beyond 32 bytes) do not count.
//
// Returns an empty text when the file reads back as the database, else the message that refuses
// the save, naming the first differing node and field.
QString CheckSavedBytes(const CChannelDb &db, const QByteArray &file, bool terrestrialKept);

// Test hook: a writer fault. When set, BuildPayload hands every compact record it makes to the
// hook (kind, slot, the record's bytes) before it goes into the file, as a wrong conversion
// would change it. Only tests set it; pass an empty function to remove it.
using WriterFaultHook = std::function<void(NodeKind kind, int slot, uint8_t *record, size_t length)>;
void SetWriterFaultHookForTest(WriterFaultHook hook);
// Called by BuildPayload.
void ApplyWriterFaultHook(NodeKind kind, int slot, uint8_t *record, size_t length);
