// Writes the fields of one generated node by name; fields the layout lacks are skipped.
#pragma once

#include "layout/NodeKind.h"

#include <cstdint>
#include <string>
#include <vector>

class CChannelDb;
class LayoutSet;

class GeneratorNodeWriter
{
public:
    GeneratorNodeWriter(CChannelDb &db, NodeKind kind, int slot);

    bool Has(const char *name) const;
    // An integer field, by name.
    void Set(const char *name, int64_t value);
    // The first elements of an IntArray field; elements beyond the field are dropped and the
    // rest of the array stays zero.
    void SetArray(int index, const std::vector<int> &values);
    void SetArray(const char *name, const std::vector<int> &values);
    // A text cut to what the field and a file record (32 bytes) can hold, and its UTF-16 byte
    // length in the length field.
    void SetText(const char *textField, const char *lengthField, const std::string &utf8);
    // The node's name goes into "Service Name", or "satname" when the kind has no "Service Name".
    void SetName(const std::string &utf8);
    // The field declared right before "audio_lang", which the file stores with it; -1 when none.
    int AudioCompanion() const;

private:
    CChannelDb &m_db;
    const LayoutSet &m_layouts;
    NodeKind m_kind;
    int m_slot;
};
