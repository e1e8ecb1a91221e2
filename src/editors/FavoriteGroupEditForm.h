// The logic of the "Favorite Group Edit" dialog: the program rows of one group and writing them back.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class CChannelDb;

// Control ids of dialog 155.
enum FavoriteGroupEditControl : int {
    FavoriteGroupListControl = 1058,
    FavoriteGroupAddControl = 1063,
    FavoriteGroupRemoveControl = 1064,
};

// One list row: a live program and whether it belongs to the group.
struct FavoriteGroupRow
{
    int slot = -1;
    QString name;          // "Service Name"; empty when it cannot be read
    bool member = false;   // bit (group - 1) of "Favorite Group"; false when it cannot be read
};

// A program record the writing changed, with its bytes before.
struct FavoriteGroupRecordEdit
{
    int slot = -1;
    std::vector<uint8_t> before;
};

class FavoriteGroupEditForm
{
public:
    static constexpr int kGroupCount = 32;

    static bool IsGroupNumber(int group) { return group >= 1 && group <= kGroupCount; }
    // The member column's texts.
    static QString MemberText(bool member);
    // True for "Yes": the row stands for a member.
    static bool IsMemberText(const QString &text);

    // Every live program in slot order, each with its name and its membership of the group
    // (1..32; no rows for any other number).
    static std::vector<FavoriteGroupRow> LoadRows(const CChannelDb &db, int group);

    // Writes every row's membership back into its "Favorite Group" value ("%u"), keeping the
    // other groups' bits. Returns the records whose bytes changed, in row order, with their
    // bytes before; a row whose value cannot be read is not written.
    static std::vector<FavoriteGroupRecordEdit> WriteRows(CChannelDb &db, int group,
                                                          const std::vector<FavoriteGroupRow> &rows);
};
