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
    const NodeLayout *Layout(int kind) const;

    // The field list of a kind in the given order, null when absent (kind 3 has no position order).
    const std::vector<FieldDesc> *Declarations(int kind) const;
    const FieldDesc *Field(int kind, int index, int order) const;

    int DeclarationCount(int kind) const;
    int PositionCount(int kind) const;
    int NodeSize(int kind) const;
    int FindField(int kind, const std::string &name, int order) const;
    int FindField(int kind, const char *name, int order) const;

    // True when the transponder, satellite and program layouts all exist.
    bool HasNodeLayouts() const;

    void ClearKind(int kind);
    void ReplaceKind(int kind, std::vector<FieldDesc> declarations);
    void Clear();

    // Counts every change of the layouts, so that records laid out in older layouts can tell.
    uint64_t Generation() const { return m_generation; }

private:
    std::array<NodeLayout, kNodeKindCount> m_layouts;
    uint64_t m_generation = 0;
};
