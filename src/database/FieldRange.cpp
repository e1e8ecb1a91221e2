// Field widths turned into the numbers they hold.
#include "database/FieldRange.h"

#include "database/CChannelDb.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"
#include "layout/NodeLayout.h"

std::optional<FieldRange> IntegerFieldRangeAt(const CChannelDb &db, NodeKind kind, int declarationIndex)
{
    const NodeLayout *layout = db.Layouts().Layout(kind);
    if (!layout)
        return std::nullopt;
    const FieldDesc *field = layout->Field(declarationIndex, DeclarationOrder);
    if (!field || field->kind != FieldKind::Integer || field->bitWidth <= 0 || field->bitWidth > 32)
        return std::nullopt;
    if (field->bitWidth == 32)
        return FieldRange {INT32_MIN, UINT32_MAX};
    return FieldRange {0, (int64_t(1) << field->bitWidth) - 1};
}

std::optional<FieldRange> IntegerFieldRange(const CChannelDb &db, NodeKind kind, const char *name)
{
    const NodeLayout *layout = db.Layouts().Layout(kind);
    if (!layout)
        return std::nullopt;
    return IntegerFieldRangeAt(db, kind, layout->FindField(name, DeclarationOrder));
}
