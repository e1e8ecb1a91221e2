// Queries and updates of the four node layouts.
#include "layout/LayoutSet.h"

#include "layout/TemplateParser.h"

const NodeLayout *LayoutSet::Layout(NodeKind kind) const
{
    if (!IsLayoutKind(kind))
        return nullptr;
    return &m_layouts[KindSlot(kind)];
}

const std::vector<FieldDesc> *LayoutSet::Declarations(NodeKind kind) const
{
    const NodeLayout *layout = Layout(kind);
    return layout && layout->IsPresent() ? &layout->Declarations() : nullptr;
}

const FieldDesc *LayoutSet::Field(NodeKind kind, int index, FieldOrder order) const
{
    const NodeLayout *layout = Layout(kind);
    return layout ? layout->Field(index, order) : nullptr;
}

int LayoutSet::DeclarationCount(NodeKind kind) const
{
    const NodeLayout *layout = Layout(kind);
    return layout ? layout->DeclarationCount() : 0;
}

int LayoutSet::PositionCount(NodeKind kind) const
{
    const NodeLayout *layout = Layout(kind);
    return layout ? layout->PositionCount() : 0;
}

int LayoutSet::NodeSize(NodeKind kind) const
{
    const NodeLayout *layout = Layout(kind);
    return layout ? layout->NodeSize() : 0;
}

int LayoutSet::FindField(NodeKind kind, const std::string &name, FieldOrder order) const
{
    const NodeLayout *layout = Layout(kind);
    return layout ? layout->FindField(name, order) : -1;
}

int LayoutSet::FindField(NodeKind kind, const char *name, FieldOrder order) const
{
    return name ? FindField(kind, std::string(name), order) : -1;
}

bool LayoutSet::HasNodeLayouts() const
{
    return m_layouts[KindSlot(KindTransponder)].IsPresent() && m_layouts[KindSlot(KindSatellite)].IsPresent()
        && m_layouts[KindSlot(KindProgram)].IsPresent();
}

void LayoutSet::ClearKind(NodeKind kind)
{
    ++m_generation;
    if (IsLayoutKind(kind))
        m_layouts[KindSlot(kind)].Clear();
}

void LayoutSet::ReplaceKind(NodeKind kind, std::vector<FieldDesc> declarations)
{
    ++m_generation;
    if (IsLayoutKind(kind))
        m_layouts[KindSlot(kind)].Assign(std::move(declarations), kind != KindDefaultProgram);
}

void LayoutSet::Clear()
{
    ++m_generation;
    for (NodeLayout &layout : m_layouts)
        layout.Clear();
}

bool LayoutSet::ParseTemplate(const QString &path, UserPrompt &prompt)
{
    TemplateParser parser(prompt);
    std::array<std::vector<FieldDesc>, kNodeKindCount> parsed;
    std::array<bool, kNodeKindCount> found{};
    if (!parser.Parse(path, parsed, found)) {
        Clear();
        return false;
    }
    Clear();
    for (NodeKind kind : kLayoutKinds) {
        if (found[KindSlot(kind)])
            ReplaceKind(kind, std::move(parsed[KindSlot(kind)]));
    }
    return true;
}
