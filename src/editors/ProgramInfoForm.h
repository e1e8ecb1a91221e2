// The program dialog's logic without a window: its lists, loading, enable rules, checks and writing.
#pragma once

#include "editors/FieldProblem.h"
#include "database/FavouriteNameTable.h"
#include "database/ProgramValueRules.h"
#include "database/ServiceFilter.h"
#include "document/NavNode.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class CChannelDb;
class UserPrompt;

struct ProgramListRow
{
    const char *text;
    int32_t value;
};

// Channel Type items; the value is the stored "Service Type".
inline constexpr std::array<ProgramListRow, 2> ServiceTypeTable {{{"TV", 1}, {"Radio", 0}}};
// Scramble and Factory items.
inline constexpr std::array<ProgramListRow, 2> NoYesTable {{{"No", 0}, {"Yes", 1}}};

// The row of `table` that shows the stored `value`, or -1 when none does.
template <size_t N>
constexpr int RowOfValue(const std::array<ProgramListRow, N> &table, int32_t value)
{
    for (size_t i = 0; i < N; ++i) {
        if (table[i].value == value)
            return int(i);
    }
    return -1;
}

// Every new program record starts as these bytes (as many as the record holds, zeros beyond).
extern const std::array<uint8_t, 256> NewProgramImage;

// What the program dialog does: edit the row's program, or insert a new one before it.
enum class ProgramDialogMode : int {
    ProgramEditMode = 1,
    ProgramInsertMode = 2,
};
using enum ProgramDialogMode;

// Control ids of dialog 140.
enum ProgramControlId : int {
    IdChannelName = 1024,
    IdServiceId = 1026,
    IdVideoPid = 1027,
    IdAudioPid1 = 1028,
    IdAudioPid2 = 1029,
    IdAudioPid3 = 1030,
    IdPcrPid = 1031,
    IdChannelType = 1033,
    IdReset = 1034,
    IdGroup = 1036,
    IdScramble = 1038,
    IdFactory = 1039,
};

constexpr int kProgramNameMaxChars = ProgramValueRules::kNameMaxChars;
constexpr int kGroupItemCount = 32;

// What the controls show, and the enable states the rules leave them in. A row of -1 is a list
// without a selection (the stored value matched no row).
struct ProgramValues
{
    QString name;
    int32_t videoPid = 0;
    int32_t audioPid1 = 0;
    int32_t audioPid2 = 0;
    int32_t audioPid3 = 0;
    int32_t pcrPid = 0;
    uint32_t serviceId = 0;
    int serviceTypeRow = -1;
    int scrambleRow = -1;
    int factoryRow = -1;
    std::array<bool, kGroupItemCount> groupTicked {};  // item i shows image 1

    bool channelTypeEnabled = true;
    bool videoPidEnabled = true;
    bool otherPidsEnabled = true;  // Audio Pid1..3 and PCR Pid
};

// The first check that failed: the message and the control to focus.
using ProgramCheckFailure = FieldProblem;

// The effect of choosing a Channel Type row: the Video Pid to show (none: leave it) and whether
// its edit is enabled.
struct ChannelTypeEffect
{
    std::optional<int32_t> videoPid;
    bool videoPidEnabled = true;
};

struct ProgramWriteResult
{
    enum Status {
        Nothing,   // no node, or no program at the position: nothing written
        Edited,    // the program at `slot` was rewritten; `before` is its record before
        Created,   // a new program was made in `slot` and put in the node's slot list
        Refused,   // insert refused (no free id, database full): the message was shown
    };
    Status status = Nothing;
    int slot = -1;
    std::vector<uint8_t> before;
};

class ProgramInfoForm
{
public:
    // `node` may be null: the dialog then shows empty controls and writes nothing. The service
    // filter is the channel list's (2 all, 1 TV, 0 radio); the names are its FavouriteNameTable.
    ProgramInfoForm(CChannelDb &db, NavNode *node, ProgramDialogMode mode, int requestedIndex, ServiceFilter serviceFilter,
                    const FavouriteNameTable &groupNames);

    // Position = the requested index; edit mode loads the program, insert mode prepares a new one.
    void Initialise();
    // Loads the program again (edit) or prepares a new one again (insert).
    void Reset();

    ProgramValues &Values() { return m_values; }
    const ProgramValues &Values() const { return m_values; }
    ProgramDialogMode Mode() const { return m_mode; }
    int Position() const { return m_position; }
    // The program node index at the position in the node's slot list, or -1.
    int ProgramSlot() const;

    const FavouriteNameTable &GroupNames() const { return m_groupNames; }
    // Item i's value: its key taken as a decimal integer (1 << i).
    uint32_t GroupValue(int item) const;
    static uint32_t GroupValueIn(const FavouriteNameTable &groupNames, int item);
    // The bitwise OR of the values of the ticked items.
    uint32_t TickedGroups(const ProgramValues &values) const;

    // Whether the layout has "Service Name", and how many UTF-16 units the name may take: at most
    // 17 and at most what the field holds, so no name is too long to store.
    bool HasNameField() const;
    int NameCapacity() const;

    // Service ID text change: the PID edits are enabled exactly when the text reads as 0.
    static bool PidsEnabledForServiceIdText(const QString &text);
    // Channel Type selection change to `row`.
    ChannelTypeEffect ChannelTypeSelected(int row) const;
    // The same rule for the program in `slot` of the program table (-1: none to read): radio takes
    // the null video PID, TV the program's stored one.
    static ChannelTypeEffect ChannelTypeEffectOn(const CChannelDb &db, int slot, int row);

    // Data exchange: a signed decimal (blanks around allowed), an unsigned decimal.
    static bool ParseSignedEntry(const QString &text, int32_t &out);
    static bool ParseUnsignedEntry(const QString &text, uint32_t &out);
    static QString SignedEntryMessage();
    static QString UnsignedEntryMessage();

    // The OK checks after data exchange, in order; nullopt means accept. With a Service ID other
    // than 0 the PID checks are skipped and Video Pid, Audio Pid1 and PCR Pid below 32 become 8191.
    std::optional<ProgramCheckFailure> Validate(ProgramValues &values) const;

    // Insert mode: why no program can be added under the node (no free id, database full), or
    // nullopt when one can.
    std::optional<QString> InsertRefusal() const;

    // Writes the values into the program (edit) or into a new program (insert), in the fixed
    // order; messages go through the prompt.
    ProgramWriteResult Write(const ProgramValues &values, UserPrompt &prompt);

private:
    // The dialog's own ranges and rules, before the field widths.
    std::optional<ProgramCheckFailure> CheckRanges(ProgramValues &values) const;
    void FillLists();
    void PrepareNewProgram();
    void LoadProgram();
    std::optional<int32_t> ReadNumber(int slot, const char *name) const;
    // Makes the record, copies the image and puts it into the node's slot list at the position.
    int CreateProgram(UserPrompt &prompt);
    void InsertIntoSlotList(int slot);
    void WriteFields(int slot, const ProgramValues &values, UserPrompt &prompt);

    CChannelDb &m_db;
    NavNode *m_node;
    ProgramDialogMode m_mode;
    int m_requestedIndex;
    ServiceFilter m_serviceFilter;
    FavouriteNameTable m_groupNames;
    int m_position = -1;
    ProgramValues m_values;
};
