// The columns of the program list, derived from the position order of the program layout.
#pragma once

#include <QString>

#include <vector>

class LayoutSet;

struct ListColumn
{
    QString header;
    int width = 0;
    bool operator==(const ListColumn &) const = default;
};

// "Index" first, then one column per shown field, each inserted at the index of its pos
// (at the end when the list is shorter), with the width chosen by the field name.
std::vector<ListColumn> DeriveListColumns(const LayoutSet &layouts, int kind);

// The width of a column by the name of its field.
int ColumnWidthFor(const QString &fieldName);
