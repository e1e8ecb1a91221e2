// The "Edit Channel" logic for several programs at once: what they share, the check and the edit.
#pragma once

#include "database/FavouriteNameTable.h"
#include "database/FieldChangeImport.h"
#include "document/DatabaseEdit.h"
#include "editors/FieldProblem.h"
#include "editors/ProgramInfoForm.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class CChannelDb;

// Where the selected programs stand on one favourite group. Asked of the edit, SomeIn leaves
// every program's membership as it is.
enum class GroupShare {
    NoneIn,
    AllIn,
    SomeIn,
};

// One list field (Channel Type, Scramble, Factory) over the selection.
struct SharedChoice
{
    static constexpr int kUnchanged = -1;

    bool offered = false;   // the layout has the field, as the program dialog finds it
    // Loaded: the row every program shows, or kUnchanged when they differ (or share a value no
    // row shows). Asked of the edit: the row to give every program, or kUnchanged to leave them.
    int row = kUnchanged;
};

struct ProgramsEditValues
{
    SharedChoice channelType;  // rows of ServiceTypeTable
    SharedChoice scramble;     // rows of NoYesTable
    SharedChoice factory;      // rows of NoYesTable
    bool groupsOffered = false;
    std::array<GroupShare, kGroupItemCount> groups;  // item i: entry i of the group names

    ProgramsEditValues() { groups.fill(GroupShare::SomeIn); }
};

class ProgramsEditForm
{
public:
    // `slots` are program-table slots; free ones and repeats are dropped. The names are the
    // channel list's FavouriteNameTable: entry i's key is the bit value of group item i.
    ProgramsEditForm(CChannelDb &db, const std::vector<int32_t> &slots, const FavouriteNameTable &groupNames);

    // The live programs of the selection, each once, in the order given.
    const std::vector<int32_t> &Programs() const { return m_programs; }
    int ProgramCount() const { return int(m_programs.size()); }
    const FavouriteNameTable &GroupNames() const { return m_groupNames; }
    uint32_t GroupValue(int item) const { return ProgramInfoForm::GroupValueIn(m_groupNames, item); }

    // What the programs share, read when the form was made.
    const ProgramsEditValues &Shared() const { return m_shared; }

    // The check before OK, nullopt when the values can be stored. A program that turns TV keeps
    // its video PID (the program dialog's Channel Type rule), so without a Service ID that PID
    // must be one a TV program can have, as the program dialog demands; and every value must fit
    // its field.
    std::optional<FieldProblem> Validate(const ProgramsEditValues &values) const;

    // Every program whose record the values change, as its record before and after; the rest of
    // each record stays byte for byte. A program whose type changes gets the program dialog's
    // Channel Type rule. Nothing when no record changes or the check refuses the values. The
    // database is as it was on return.
    std::optional<DatabaseEdit> Edit(const ProgramsEditValues &values);

private:
    // Declaration-order indexes of the fields the program dialog reads by name; -1 when absent.
    struct Fields
    {
        int serviceType = -1;
        int scramble = -1;
        int factory = -1;
        int groups = -1;
        int videoPid = -1;
        int serviceId = -1;
    };

    void Load();
    std::optional<int32_t> Read(int32_t slot, int field) const;
    // Whether the program's stored type differs from the row's.
    bool TypeChanges(int32_t slot, int row) const;
    std::vector<FieldChange> Changes(const ProgramsEditValues &values) const;

    CChannelDb &m_db;
    std::vector<int32_t> m_programs;
    FavouriteNameTable m_groupNames;
    Fields m_fields;
    ProgramsEditValues m_shared;
};
