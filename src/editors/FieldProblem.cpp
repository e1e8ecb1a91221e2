// Whether a number fits its field's width in the layout.
#include "editors/FieldProblem.h"

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
