// Whether a number fits its field's width in the layout.
#include "editors/FieldProblem.h"

#include "database/CChannelDb.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"
#include "layout/NodeLayout.h"

std::optional<FieldRange> IntegerFieldRange(const CChannelDb &db, NodeKind kind, const char *name)
{
    const NodeLayout *layout = db.Layouts().Layout(kind);
    if (!layout)
        return std::nullopt;
    const FieldDesc *field = layout->Field(layout->FindField(name, DeclarationOrder), DeclarationOrder);
    if (!field || field->kind != FieldKind::Integer || field->bitWidth <= 0 || field->bitWidth > 32)
        return std::nullopt;
    if (field->bitWidth == 32)
        return FieldRange {INT32_MIN, UINT32_MAX};
    return FieldRange {0, (int64_t(1) << field->bitWidth) - 1};
}

std::optional<FieldProblem> CheckFieldFits(const CChannelDb &db, NodeKind kind, const char *name, int64_t value,
                                           const QString &label, int controlId)
{
    const std::optional<FieldRange> range = IntegerFieldRange(db, kind, name);
    if (!range || (value >= range->low && value <= range->high))
        return std::nullopt;
    return FieldProblem {controlId, QStringLiteral("%1: %2 does not fit; the field holds %3 to %4.")
                                        .arg(label)
                                        .arg(value)
                                        .arg(range->low)
                                        .arg(range->high)};
}
