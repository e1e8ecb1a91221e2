// The binary layout cache "script.ini" that spares a template parse at every start.
#pragma once

#include <QString>

class LayoutSet;

// Reads the cache into the layouts; true whenever the file could be opened. A malformed or
// truncated section ends the reading and is discarded; complete sections before it stay.
bool LoadLayoutCache(const QString &path, LayoutSet &layouts);

// Writes every layout to the cache. Refuses, leaving any existing file untouched, when the
// transponder, satellite or program layout is missing or the file cannot be written.
bool SaveLayoutCache(const QString &path, const LayoutSet &layouts);

// The byte image SaveLayoutCache writes; empty when a node layout is missing.
QByteArray SerializeLayoutCache(const LayoutSet &layouts);

// The reading of LoadLayoutCache on bytes already in memory.
void ParseLayoutCache(const QByteArray &bytes, LayoutSet &layouts);
