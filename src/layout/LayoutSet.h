// The four node layouts read from a template or from the layout cache.
#pragma once

#include "layout/NodeLayout.h"

#include <QString>

#include <array>

class UserPrompt;

class LayoutSet
{
public:
    // Builds every layout from a template header; on failure all layouts are cleared.
    // Attribute errors are shown through the prompt; "parse.input" goes to the working directory.
    bool ParseTemplate(const QString &path, UserPrompt &prompt);

    // Null when the kind is out of range.
    const NodeLayout *Layout(NodeKind kind) const;

    // The field list of a kind in the given order, null when absent (kind 3 has no position order).
    const std::vector<FieldDesc> *Declarations(NodeKind kind) const;
    const FieldDesc *Field(NodeKind kind, int index, FieldOrder order) const;

    int DeclarationCount(NodeKind kind) const;
    int PositionCount(NodeKind kind) const;
    int NodeSize(NodeKind kind) const;
    int FindField(NodeKind kind, const std::string &name, FieldOrder order) const;
    int FindField(NodeKind kind, const char *name, FieldOrder order) const;

    // True when the transponder, satellite and program layouts all exist.
    bool HasNodeLayouts() const;

    void ClearKind(NodeKind kind);
    void ReplaceKind(NodeKind kind, std::vector<FieldDesc> declarations);
    void Clear();

    // Counts every change of the layouts, so that records laid out in older layouts can tell.
    uint64_t Generation() const { return m_generation; }

private:
    std::array<NodeLayout, kNodeKindCount> m_layouts;
    uint64_t m_generation = 0;
};
