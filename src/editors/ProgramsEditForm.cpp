// Several programs' shared fields: loading them, checking the choice, and the edit of every record.
#include "editors/ProgramsEditForm.h"

#include "database/CChannelDb.h"
#include "database/FieldRange.h"
#include "database/NodeFields.h"
#include "database/ProgramValueRules.h"
#include "document/ListEditPlans.h"
#include "layout/LayoutSet.h"

#include <algorithm>

namespace {

// The declaration-order index of the integer field the program dialog reads by this name. The
// dialog finds its fields in position order; the edit writes by declaration index, so the very
// same field is looked up there.
int DialogField(const LayoutSet &layouts, const char *name)
{
    const FieldDesc *field = layouts.Field(KindProgram, layouts.FindField(KindProgram, name, PositionOrder), PositionOrder);
    const std::vector<FieldDesc> *declarations = layouts.Declarations(KindProgram);
    if (!field || !declarations || field->kind != FieldKind::Integer)
        return -1;
    const auto found = std::find(declarations->begin(), declarations->end(), *field);
    return found == declarations->end() ? -1 : int(found - declarations->begin());
}

template <size_t N>
bool IsRow(int row, const std::array<ProgramListRow, N> &)
{
    return row >= 0 && row < int(N);
}

} // namespace

ProgramsEditForm::ProgramsEditForm(CChannelDb &db, const std::vector<int32_t> &slots, const FavouriteNameTable &groupNames)
    : m_db(db), m_groupNames(groupNames)
{
    for (const int32_t slot : slots) {
        if (db.IsUsed(KindProgram, slot) && std::find(m_programs.begin(), m_programs.end(), slot) == m_programs.end())
            m_programs.push_back(slot);
    }
    const LayoutSet &layouts = db.Layouts();
    m_fields.serviceType = DialogField(layouts, "Service Type");
    m_fields.scramble = DialogField(layouts, "Scramble");
    m_fields.factory = DialogField(layouts, "Factory");
    m_fields.groups = DialogField(layouts, "Favorite Group");
    m_fields.videoPid = DialogField(layouts, "Video Pid");
    m_fields.serviceId = DialogField(layouts, "Service ID");
    Load();
}

std::optional<int32_t> ProgramsEditForm::Read(int32_t slot, int field) const
{
    int32_t value = 0;
    if (field < 0 || !m_db.GetNodeInt(KindProgram, slot, field, value, 0, DeclarationOrder))
        return std::nullopt;
    return value;
}

void ProgramsEditForm::Load()
{
    // The one row every program shows; a value no row shows counts as a row of its own (-1).
    auto sharedRow = [this](int field, const auto &table) {
        int shared = SharedChoice::kUnchanged;
        for (size_t i = 0; i < m_programs.size(); ++i) {
            const std::optional<int32_t> value = Read(m_programs[i], field);
            const int row = value ? RowOfValue(table, *value) : -1;
            if (i == 0)
                shared = row;
            else if (row != shared)
                return SharedChoice::kUnchanged;
        }
        return shared;
    };
    m_shared.channelType = {m_fields.serviceType >= 0, sharedRow(m_fields.serviceType, ServiceTypeTable)};
    m_shared.scramble = {m_fields.scramble >= 0, sharedRow(m_fields.scramble, NoYesTable)};
    m_shared.factory = {m_fields.factory >= 0, sharedRow(m_fields.factory, NoYesTable)};

    m_shared.groupsOffered = m_fields.groups >= 0;
    for (int item = 0; item < kGroupItemCount; ++item) {
        // As the program dialog ticks an item: any of its bits set.
        const uint32_t value = GroupValue(item);
        const auto members = std::count_if(m_programs.begin(), m_programs.end(), [&](int32_t slot) {
            return (uint32_t(Read(slot, m_fields.groups).value_or(0)) & value) != 0;
        });
        GroupShare &share = m_shared.groups[size_t(item)];
        if (members == 0)
            share = GroupShare::NoneIn;
        else if (members == std::ssize(m_programs))
            share = GroupShare::AllIn;
        else
            share = GroupShare::SomeIn;
    }
}

bool ProgramsEditForm::TypeChanges(int32_t slot, int row) const
{
    return Read(slot, m_fields.serviceType) != ServiceTypeTable[size_t(row)].value;
}

std::optional<FieldProblem> ProgramsEditForm::Validate(const ProgramsEditValues &values) const
{
    const int typeRow = values.channelType.row;
    if (m_fields.serviceType >= 0 && IsRow(typeRow, ServiceTypeTable)) {
        if (auto problem = CheckFieldFits(m_db, KindProgram, "Service Type", ServiceTypeTable[size_t(typeRow)].value,
                                          QStringLiteral("Channel Type"), IdChannelType))
            return problem;
        const bool tv = typeRow == 0;
        int refused = 0;
        QString firstRefused;
        for (const int32_t slot : m_programs) {
            if (!TypeChanges(slot, typeRow))
                continue;
            const ChannelTypeEffect effect = ProgramInfoForm::ChannelTypeEffectOn(m_db, slot, typeRow);
            if (!effect.videoPid || m_fields.videoPid < 0)
                continue;
            if (auto problem = CheckFieldFits(m_db, KindProgram, "Video Pid", *effect.videoPid,
                                              QStringLiteral("Video Pid"), IdChannelType))
                return problem;
            // With a Service ID the receiver finds the PIDs itself; the program dialog checks none.
            if (Read(slot, m_fields.serviceId).value_or(0) != 0
                || ProgramValueRules::PidRuleOf("Video Pid", tv)->Allows(*effect.videoPid))
                continue;
            if (refused++ == 0)
                firstRefused = QString::fromStdString(
                    GetNodeTextByName(m_db, KindProgram, slot, "Service Name", PositionOrder).value_or(std::string()));
        }
        if (refused > 0) {
            const QString count = QString::number(ProgramCount());
            const QString who = refused == 1 ? QStringLiteral("1 of the %1 channels (\"%2\") has").arg(count, firstRefused)
                                             : QStringLiteral("%1 of the %2 channels (the first: \"%3\") have")
                                                   .arg(QString::number(refused), count, firstRefused);
            return FieldProblem {IdChannelType,
                                 QStringLiteral("Video Pid: [32,  %1]\n\n%2 a video PID a %3 channel cannot have. Give "
                                                "each one its video PID in Edit Channel, or leave Channel Type "
                                                "unchanged.")
                                     .arg(QString::number(tv ? 8190 : 8191), who,
                                          QString::fromLatin1(ServiceTypeTable[size_t(typeRow)].text))};
        }
    }
    const std::pair<const SharedChoice &, std::pair<const char *, int>> flags[] = {
        {values.scramble, {"Scramble", IdScramble}}, {values.factory, {"Factory", IdFactory}}};
    for (const auto &[choice, field] : flags) {
        if (IsRow(choice.row, NoYesTable)) {
            if (auto problem = CheckFieldFits(m_db, KindProgram, field.first, NoYesTable[size_t(choice.row)].value,
                                              QString::fromLatin1(field.first), field.second))
                return problem;
        }
    }
    if (m_fields.groups >= 0) {
        // A group whose bit the field cannot hold would be dropped while writing.
        const std::optional<FieldRange> range = IntegerFieldRangeAt(m_db, KindProgram, m_fields.groups);
        for (int item = 0; item < kGroupItemCount && range; ++item) {
            if (values.groups[size_t(item)] == GroupShare::AllIn && int64_t(GroupValue(item)) > range->high)
                return FieldProblem {IdGroup, QStringLiteral("Favorite Group: the field holds no group \"%1\".")
                                                  .arg(QString::fromStdString(m_groupNames[size_t(item)].name))};
        }
    }
    return std::nullopt;
}

std::vector<FieldChange> ProgramsEditForm::Changes(const ProgramsEditValues &values) const
{
    std::vector<FieldChange> changes;
    auto add = [&](int32_t slot, int field, uint32_t value) {
        FieldChange change;
        change.slot = slot;
        change.field = field;
        change.fieldName = QString::fromStdString(m_db.Layouts().Field(KindProgram, field, DeclarationOrder)->name);
        change.after = QString::number(value);
        change.value = value;
        changes.push_back(std::move(change));
    };
    uint32_t join = 0;
    uint32_t leave = 0;
    for (int item = 0; item < kGroupItemCount; ++item) {
        if (values.groups[size_t(item)] == GroupShare::AllIn)
            join |= GroupValue(item);
        else if (values.groups[size_t(item)] == GroupShare::NoneIn)
            leave |= GroupValue(item);
    }

    for (const int32_t slot : m_programs) {
        const int typeRow = values.channelType.row;
        if (m_fields.serviceType >= 0 && IsRow(typeRow, ServiceTypeTable) && TypeChanges(slot, typeRow)) {
            add(slot, m_fields.serviceType, uint32_t(ServiceTypeTable[size_t(typeRow)].value));
            const ChannelTypeEffect effect = ProgramInfoForm::ChannelTypeEffectOn(m_db, slot, typeRow);
            if (effect.videoPid && m_fields.videoPid >= 0)
                add(slot, m_fields.videoPid, uint32_t(*effect.videoPid));
        }
        const std::pair<int, int> flags[] = {{m_fields.scramble, values.scramble.row},
                                             {m_fields.factory, values.factory.row}};
        for (const auto &[field, row] : flags) {
            if (field >= 0 && IsRow(row, NoYesTable) && Read(slot, field) != NoYesTable[size_t(row)].value)
                add(slot, field, uint32_t(NoYesTable[size_t(row)].value));
        }
        if (m_fields.groups >= 0 && (join | leave) != 0) {
            const uint32_t bits = uint32_t(Read(slot, m_fields.groups).value_or(0));
            // Leaving first: an item both joined and left (overlapping keys) ends up joined.
            const uint32_t wanted = (bits & ~leave) | join;
            if (wanted != bits)
                add(slot, m_fields.groups, wanted);
        }
    }
    return changes;
}

std::optional<DatabaseEdit> ProgramsEditForm::Edit(const ProgramsEditValues &values)
{
    if (Validate(values))
        return std::nullopt;
    const std::vector<FieldChange> changes = Changes(values);
    if (changes.empty())
        return std::nullopt;
    std::optional<DatabaseEdit> edit = FieldChangesEdit(m_db, changes);
    if (!edit || edit->Empty())
        return std::nullopt;
    return edit;
}
