// Column headers, widths and shown fields of the program list.
#include "layout/ListColumns.h"

#include "layout/LayoutSet.h"

#include <algorithm>

int ColumnWidthFor(const QString &fieldName)
{
    struct Width
    {
        const char *name;
        int width;
    };
    static const Width kWidths[] = {
        {"Service Name", 114}, {"Service Type", 85}, {"Audio Pid1", 73}, {"Audio Pid2", 73},
        {"Audio Pid3", 73},    {"PCR Pid", 58},      {"Favorite Group", 90}, {"Scramble", 60},
        {"Factory", 60},       {"Service ID", 76},
    };
    for (const Width &w : kWidths) {
        if (fieldName == QLatin1String(w.name))
            return w.width;
    }
    return 70;
}

std::vector<ListFieldColumn> DeriveColumnFields(const LayoutSet &layouts, NodeKind kind)
{
    std::vector<ListFieldColumn> shown;
    const int count = layouts.PositionCount(kind);
    for (int i = 0; i < count; ++i) {
        const FieldDesc *field = layouts.Field(kind, i, PositionOrder);
        if (!field)
            break;
        if (field->masked != 0 || field->pos == -1)
            continue;
        shown.push_back(ListFieldColumn{i, field->pos});
    }
    return shown;
}

std::vector<ListColumn> DeriveListColumns(const LayoutSet &layouts, NodeKind kind)
{
    std::vector<ListColumn> columns{{QStringLiteral("Index"), 44}};
    for (const ListFieldColumn &shown : DeriveColumnFields(layouts, kind)) {
        const FieldDesc *field = layouts.Field(kind, shown.fieldIndex, PositionOrder);
        const QString name = QString::fromUtf8(field->name.data(), qsizetype(field->name.size()));
        const size_t at = std::min(size_t(std::max(shown.pos, 0)), columns.size());
        columns.insert(columns.begin() + qsizetype(at), ListColumn{name, ColumnWidthFor(name)});
    }
    return columns;
}
