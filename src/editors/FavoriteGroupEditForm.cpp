// Reading and writing the group membership bits of the "Favorite Group Edit" dialog.
#include "editors/FavoriteGroupEditForm.h"

#include "database/CChannelDb.h"
#include "database/NodeFields.h"
#include "layout/FieldDesc.h"

#include <string>

QString FavoriteGroupEditForm::MemberText(bool member)
{
    return member ? QStringLiteral("Yes") : QStringLiteral("No");
}

bool FavoriteGroupEditForm::IsMemberText(const QString &text)
{
    return text == QLatin1String("Yes");
}

std::vector<FavoriteGroupRow> FavoriteGroupEditForm::LoadRows(const CChannelDb &db, int group)
{
    std::vector<FavoriteGroupRow> rows;
    if (!IsGroupNumber(group))
        return rows;
    const uint32_t bit = uint32_t(1) << (group - 1);
    const int nameField = FindNodeField(db, KindProgram, "Service Name", DeclarationOrder);
    const int groupField = FindNodeField(db, KindProgram, "Favorite Group", DeclarationOrder);
    const int count = db.Count(KindProgram);
    rows.reserve(size_t(db.LiveCount(KindProgram)));
    for (int slot = 0; slot < count; ++slot) {
        if (!db.IsUsed(KindProgram, slot))
            continue;
        FavoriteGroupRow row;
        row.slot = slot;
        std::string name;
        if (nameField >= 0 && db.GetNodeData(KindProgram, slot, nameField, name, 0, DeclarationOrder))
            row.name = QString::fromStdString(name);
        int32_t value = 0;
        if (groupField >= 0 && db.GetNodeInt(KindProgram, slot, groupField, value, 0, DeclarationOrder))
            row.member = (uint32_t(value) & bit) != 0;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<FavoriteGroupRecordEdit> FavoriteGroupEditForm::WriteRows(CChannelDb &db, int group,
                                                                      const std::vector<FavoriteGroupRow> &rows)
{
    std::vector<FavoriteGroupRecordEdit> edits;
    const int groupField = FindNodeField(db, KindProgram, "Favorite Group", DeclarationOrder);
    if (!IsGroupNumber(group) || groupField < 0)
        return edits;
    const uint32_t bit = uint32_t(1) << (group - 1);
    for (const FavoriteGroupRow &row : rows) {
        int32_t stored = 0;
        if (!db.GetNodeInt(KindProgram, row.slot, groupField, stored, 0, DeclarationOrder))
            continue;
        const uint32_t value = row.member ? (uint32_t(stored) | bit) : (uint32_t(stored) & ~bit);
        std::vector<uint8_t> before = db.RecordBytes(KindProgram, row.slot);
        if (!db.SetNodeData(KindProgram, row.slot, groupField, std::to_string(value), DeclarationOrder))
            continue;
        if (db.RecordBytes(KindProgram, row.slot) != before)
            edits.push_back(FavoriteGroupRecordEdit{row.slot, std::move(before)});
    }
    return edits;
}
