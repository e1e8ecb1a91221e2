// Node fields looked up by name: read and write one field of a stored node as text or as a number.
#pragma once

#include "layout/NodeKind.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class CChannelDb;

// The index of the first field with exactly this name in the kind's list of the chosen order
// (0 position, 1 declaration); -1 when the name or the list is absent.
int FindNodeField(const CChannelDb &db, NodeKind kind, std::string_view name, FieldOrder order);

// The field's text; nullopt when the field is absent or the read fails (free slot, range).
std::optional<std::string> GetNodeTextByName(const CChannelDb &db, NodeKind kind, int node, std::string_view name,
                                             FieldOrder order, int element = 0);
// The field's number, read without a text round trip; nullopt when absent or the read fails.
std::optional<int32_t> GetNodeIntByName(const CChannelDb &db, NodeKind kind, int node, std::string_view name, FieldOrder order,
                                        int element = 0);
// For readers where a field the layout lacks stands for 0 (the transponder labels): the field's
// number, or 0 when the field is absent or cannot be read.
int32_t GetNodeIntOrZero(const CChannelDb &db, NodeKind kind, int node, std::string_view name, FieldOrder order,
                         int element = 0);

// False when the field is absent or the write is refused; the node is then unchanged.
bool SetNodeTextByName(CChannelDb &db, NodeKind kind, int node, std::string_view name, std::string_view text, FieldOrder order);
bool SetNodeIntByName(CChannelDb &db, NodeKind kind, int node, std::string_view name, uint32_t value, FieldOrder order);
