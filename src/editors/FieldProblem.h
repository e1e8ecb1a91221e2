// One type for what a dialog refuses, and the check that a number fits the field it goes into.
#pragma once

#include "layout/NodeKind.h"

#include <QString>

#include <cstdint>
#include <optional>

class CChannelDb;

// A value a dialog refuses: the control that gets the focus and the message for the user.
struct FieldProblem
{
    int controlId = 0;
    QString message;
};

// The numbers an integer field of the layout holds, by its width: 0 to 2^w - 1, and for a 32-bit
// field also the negative numbers a signed entry gives.
struct FieldRange
{
    int64_t low = 0;
    int64_t high = 0;
};
std::optional<FieldRange> IntegerFieldRange(const CChannelDb &db, NodeKind kind, const char *name);

// nullopt when the value fits the field (or the layout has no such integer field, so nothing is
// written); otherwise "<label>: <value> does not fit; the field holds <low> to <high>."
std::optional<FieldProblem> CheckFieldFits(const CChannelDb &db, NodeKind kind, const char *name, int64_t value,
                                           const QString &label, int controlId);
