// Queries and updates of the four node layouts.
#include "layout/LayoutSet.h"

#include "layout/TemplateParser.h"

const NodeLayout *LayoutSet::Layout(int kind) const
{
    if (kind < 0 || kind >= kNodeKindCount)
        return nullptr;
    return &m_layouts[size_t(kind)];
}

const std::vector<FieldDesc> *LayoutSet::Declarations(int kind) const
{
    const NodeLayout *layout = Layout(kind);
    return layout && layout->IsPresent() ? &layout->Declarations() : nullptr;
}

const FieldDesc *LayoutSet::Field(int kind, int index, int order) const
{
    const NodeLayout *layout = Layout(kind);
    return layout ? layout->Field(index, order) : nullptr;
}

int LayoutSet::DeclarationCount(int kind) const
{
    const NodeLayout *layout = Layout(kind);
    return layout ? layout->DeclarationCount() : 0;
}

int LayoutSet::PositionCount(int kind) const
{
    const NodeLayout *layout = Layout(kind);
    return layout ? layout->PositionCount() : 0;
}

int LayoutSet::NodeSize(int kind) const
{
    const NodeLayout *layout = Layout(kind);
    return layout ? layout->NodeSize() : 0;
}

int LayoutSet::FindField(int kind, const std::string &name, int order) const
{
    const NodeLayout *layout = Layout(kind);
    return layout ? layout->FindField(name, order) : -1;
}

int LayoutSet::FindField(int kind, const char *name, int order) const
{
    return name ? FindField(kind, std::string(name), order) : -1;
}

bool LayoutSet::HasNodeLayouts() const
{
    return m_layouts[KindTransponder].IsPresent() && m_layouts[KindSatellite].IsPresent()
        && m_layouts[KindProgram].IsPresent();
}

void LayoutSet::ClearKind(int kind)
{
    ++m_generation;
    if (kind >= 0 && kind < kNodeKindCount)
        m_layouts[size_t(kind)].Clear();
}

void LayoutSet::ReplaceKind(int kind, std::vector<FieldDesc> declarations)
{
    ++m_generation;
    if (kind >= 0 && kind < kNodeKindCount)
        m_layouts[size_t(kind)].Assign(std::move(declarations), kind != KindDefaultProgram);
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
    for (int kind = 0; kind < kNodeKindCount; ++kind) {
        if (found[size_t(kind)])
            ReplaceKind(kind, std::move(parsed[size_t(kind)]));
    }
    return true;
}
