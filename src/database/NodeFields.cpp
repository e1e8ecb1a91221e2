// Field access by name on top of the database's access by index.
#include "database/NodeFields.h"

#include "database/CChannelDb.h"
#include "layout/LayoutSet.h"

int FindNodeField(const CChannelDb &db, NodeKind kind, std::string_view name, FieldOrder order)
{
    return db.Layouts().FindField(kind, std::string(name), order);
}

std::optional<std::string> GetNodeTextByName(const CChannelDb &db, NodeKind kind, int node, std::string_view name,
                                             FieldOrder order, int element)
{
    const int field = FindNodeField(db, kind, name, order);
    std::string text;
    if (field < 0 || !db.GetNodeData(kind, node, field, text, element, order))
        return std::nullopt;
    return text;
}

std::optional<int32_t> GetNodeIntByName(const CChannelDb &db, NodeKind kind, int node, std::string_view name, FieldOrder order,
                                        int element)
{
    const int field = FindNodeField(db, kind, name, order);
    int32_t value = 0;
    if (field < 0 || !db.GetNodeInt(kind, node, field, value, element, order))
        return std::nullopt;
    return value;
}

int32_t GetNodeIntOrZero(const CChannelDb &db, NodeKind kind, int node, std::string_view name, FieldOrder order, int element)
{
    return GetNodeIntByName(db, kind, node, name, order, element).value_or(0);
}

bool SetNodeTextByName(CChannelDb &db, NodeKind kind, int node, std::string_view name, std::string_view text, FieldOrder order)
{
    const int field = FindNodeField(db, kind, name, order);
    return field >= 0 && db.SetNodeData(kind, node, field, text, order);
}

bool SetNodeIntByName(CChannelDb &db, NodeKind kind, int node, std::string_view name, uint32_t value, FieldOrder order)
{
    const int field = FindNodeField(db, kind, name, order);
    return field >= 0 && db.SetNodeInt(kind, node, field, value, order);
}
