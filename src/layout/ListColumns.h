// The columns of the program list, derived from the position order of the program layout.
#pragma once

#include "layout/NodeKind.h"

#include <QString>

#include <vector>

class LayoutSet;

struct ListColumn
{
    QString header;
    int width = 0;
    bool operator==(const ListColumn &) const = default;
};

// A field shown in the list: its index in the kind's position order and its pos attribute, which
// chooses the cell-text rule.
struct ListFieldColumn
{
    int fieldIndex = -1;
    int pos = -1;
    bool operator==(const ListFieldColumn &) const = default;
};

// The fields the list shows, in the order the fill visits them: the position order up to its first
// gap, without masked fields and fields without pos. Entry c - 1 feeds column c (c >= 1).
std::vector<ListFieldColumn> DeriveColumnFields(const LayoutSet &layouts, NodeKind kind);

// "Index" first, then one column per shown field, each inserted at the index of its pos
// (at the end when the list is shorter), with the width chosen by the field name.
std::vector<ListColumn> DeriveListColumns(const LayoutSet &layouts, NodeKind kind);

// The width of a column by the name of its field.
int ColumnWidthFor(const QString &fieldName);
