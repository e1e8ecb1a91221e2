// The program dialog's rules on plain values: loading, the enable rules, the OK checks, the writes.
#include "editors/ProgramInfoForm.h"

#include "core/IntegerEntry.h"
#include "core/CoreMessages.h"
#include "core/UserPrompt.h"
#include "core/Utf8Text.h"
#include "database/CChannelDb.h"
#include "database/NodeFields.h"
#include "database/ProgramValueRules.h"
#include "layout/LayoutSet.h"
#include "layout/TemplateNumber.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

const std::array<uint8_t, 256> NewProgramImage = [] {
    std::array<uint8_t, 256> image {};
    image[12] = 0xA0;
    image[18] = 0xFF;
    image[19] = 0x1F;
    image[20] = 0x50;
    image[32] = 0x30;
    return image;
}();

namespace {

constexpr int32_t kNullPid = ProgramValueRules::kNullPid;

std::string Decimal(int32_t value)
{
    return std::to_string(value);
}

std::string UnsignedDecimal(uint32_t value)
{
    return std::to_string(value);
}

// "Favorite Group" and the group keys are decimal texts that may carry a sign (bit 31 reads
// signed); the bits are what counts.
uint32_t DecimalBits(const std::string &text)
{
    return uint32_t(std::strtoll(text.c_str(), nullptr, 10));
}

bool InRange(int32_t value, int32_t low, int32_t high)
{
    return value >= low && value <= high;
}

std::optional<int32_t> ReadProgramNumber(const CChannelDb &db, int slot, const char *name)
{
    const std::optional<std::string> text = GetNodeTextByName(db, KindProgram, slot, name, PositionOrder);
    if (!text)
        return std::nullopt;
    return ParseTemplateNumber(*text);
}

} // namespace

ProgramInfoForm::ProgramInfoForm(CChannelDb &db, NavNode *node, ProgramDialogMode mode, int requestedIndex, ServiceFilter serviceFilter,
                                 const FavouriteNameTable &groupNames)
    : m_db(db), m_node(node), m_mode(mode), m_requestedIndex(requestedIndex), m_serviceFilter(serviceFilter),
      m_groupNames(groupNames)
{
}

void ProgramInfoForm::Initialise()
{
    m_position = m_requestedIndex;
    Reset();
}

void ProgramInfoForm::Reset()
{
    if (m_mode == ProgramEditMode)
        LoadProgram();
    else if (m_mode == ProgramInsertMode)
        PrepareNewProgram();
}

int ProgramInfoForm::ProgramSlot() const
{
    if (!m_node || m_position < 0 || m_position >= m_node->SlotCount())
        return -1;
    return m_node->slots[size_t(m_position)];
}

uint32_t ProgramInfoForm::GroupValue(int item) const
{
    return GroupValueIn(m_groupNames, item);
}

uint32_t ProgramInfoForm::GroupValueIn(const FavouriteNameTable &groupNames, int item)
{
    if (item < 0 || item >= kGroupItemCount)
        return 0;
    return DecimalBits(groupNames[size_t(item)].key);
}

uint32_t ProgramInfoForm::TickedGroups(const ProgramValues &values) const
{
    uint32_t groups = 0;
    for (int i = 0; i < kGroupItemCount; ++i) {
        if (values.groupTicked[size_t(i)])
            groups |= GroupValue(i);
    }
    return groups;
}

bool ProgramInfoForm::HasNameField() const
{
    return m_db.Layouts().FindField(KindProgram, "Service Name", PositionOrder) >= 0;
}

int ProgramInfoForm::NameCapacity() const
{
    const LayoutSet &layouts = m_db.Layouts();
    const FieldDesc *field =
        layouts.Field(KindProgram, layouts.FindField(KindProgram, "Service Name", PositionOrder), PositionOrder);
    if (!field || field->kind != FieldKind::String)
        return kProgramNameMaxChars;
    return std::clamp(field->sizeBits / 8 / 2, 0, kProgramNameMaxChars);
}

void ProgramInfoForm::FillLists()
{
    m_values.serviceTypeRow = -1;
    m_values.scrambleRow = -1;
    m_values.factoryRow = -1;
    m_values.groupTicked.fill(false);
}

void ProgramInfoForm::PrepareNewProgram()
{
    if (!m_node)
        return;
    FillLists();
    ProgramValues &v = m_values;
    v.name = QStringLiteral("New Channel");
    if (m_serviceFilter == ServiceFilter::TvOnly) {
        v.serviceTypeRow = 0;
        v.channelTypeEnabled = false;
        v.videoPid = 0;
    } else if (m_serviceFilter == ServiceFilter::RadioOnly) {
        v.serviceTypeRow = 1;
        v.channelTypeEnabled = false;
        v.videoPid = kNullPid;
        v.videoPidEnabled = false;
    } else {
        v.serviceTypeRow = 0;
        v.channelTypeEnabled = true;
        v.videoPidEnabled = true;
        v.videoPid = 0;
    }
    v.audioPid1 = 0;
    v.audioPid2 = 0;
    v.audioPid3 = 0;
    v.pcrPid = 0;
    v.scrambleRow = 0;
    v.factoryRow = 0;
    v.serviceId = 0;
}

std::optional<int32_t> ProgramInfoForm::ReadNumber(int slot, const char *name) const
{
    return ReadProgramNumber(m_db, slot, name);
}

void ProgramInfoForm::LoadProgram()
{
    if (!m_node)
        return;
    FillLists();
    ProgramValues &v = m_values;
    const int slot = ProgramSlot();
    if (const auto name = GetNodeTextByName(m_db, KindProgram, slot, "Service Name", PositionOrder))
        v.name = QString::fromStdString(*name);
    if (const auto type = ReadNumber(slot, "Service Type")) {
        v.serviceTypeRow = RowOfValue(ServiceTypeTable, *type);
        if (v.serviceTypeRow == 1)
            v.videoPidEnabled = false;
        else if (v.serviceTypeRow == 0)
            v.videoPidEnabled = true;
    }
    if (m_serviceFilter == ServiceFilter::TvOnly) {
        v.channelTypeEnabled = false;
    } else if (m_serviceFilter == ServiceFilter::RadioOnly) {
        v.channelTypeEnabled = false;
        v.videoPid = kNullPid;
        v.videoPidEnabled = false;
    } else {
        v.channelTypeEnabled = true;
    }
    const std::pair<const char *, int32_t *> pids[] = {{"Video Pid", &v.videoPid},
                                                       {"Audio Pid1", &v.audioPid1},
                                                       {"Audio Pid2", &v.audioPid2},
                                                       {"Audio Pid3", &v.audioPid3},
                                                       {"PCR Pid", &v.pcrPid}};
    for (const auto &[name, target] : pids) {
        if (const auto value = ReadNumber(slot, name))
            *target = *value;
    }
    if (const auto groups = GetNodeTextByName(m_db, KindProgram, slot, "Favorite Group", PositionOrder)) {
        const uint32_t bits = DecimalBits(*groups);
        for (int i = 0; i < kGroupItemCount; ++i)
            v.groupTicked[size_t(i)] = (GroupValue(i) & bits) != 0;
    }
    if (const auto scramble = ReadNumber(slot, "Scramble"))
        v.scrambleRow = RowOfValue(NoYesTable, *scramble);
    if (const auto factory = ReadNumber(slot, "Factory"))
        v.factoryRow = RowOfValue(NoYesTable, *factory);
    if (const auto serviceId = ReadNumber(slot, "Service ID")) {
        v.serviceId = uint32_t(*serviceId);
        if (v.serviceId != 0) {
            v.videoPidEnabled = false;
            v.otherPidsEnabled = false;
        }
    }
}

bool ProgramInfoForm::PidsEnabledForServiceIdText(const QString &text)
{
    return ParseTemplateNumber(text.toStdString()) == 0;
}

ChannelTypeEffect ProgramInfoForm::ChannelTypeSelected(int row) const
{
    // In insert mode the slot is the program the new one will precede.
    return ChannelTypeEffectOn(m_db, ProgramSlot(), row);
}

ChannelTypeEffect ProgramInfoForm::ChannelTypeEffectOn(const CChannelDb &db, int slot, int row)
{
    ChannelTypeEffect effect;
    if (row != 0) {
        effect.videoPid = kNullPid;
        effect.videoPidEnabled = false;
        return effect;
    }
    effect.videoPid = ReadProgramNumber(db, slot, "Video Pid");
    effect.videoPidEnabled = true;
    return effect;
}

bool ProgramInfoForm::ParseSignedEntry(const QString &text, int32_t &out)
{
    const std::optional<int32_t> value = ::ParseSignedEntry(text);
    if (value)
        out = *value;
    return value.has_value();
}

bool ProgramInfoForm::ParseUnsignedEntry(const QString &text, uint32_t &out)
{
    const std::optional<uint32_t> value = ::ParseUnsignedEntry(text);
    if (value)
        out = *value;
    return value.has_value();
}

QString ProgramInfoForm::SignedEntryMessage()
{
    return QStringLiteral("Please enter an integer.");
}

QString ProgramInfoForm::UnsignedEntryMessage()
{
    return QStringLiteral("Please enter an unsigned integer.");
}

std::optional<ProgramCheckFailure> ProgramInfoForm::CheckRanges(ProgramValues &v) const
{
    // A layout without a name field never stores the name, so its emptiness does not matter.
    if (v.name.isEmpty() && HasNameField())
        return ProgramCheckFailure {IdChannelName, QStringLiteral("Empty channel name!")};
    if (v.serviceId != 0) {
        for (int32_t *pid : {&v.videoPid, &v.audioPid1, &v.pcrPid}) {
            if (*pid < 32)
                *pid = kNullPid;
        }
        return std::nullopt;
    }
    using ProgramValueRules::PidRuleOf;
    const bool tv = v.serviceTypeRow == 0;
    if (!PidRuleOf("Video Pid", tv)->Allows(v.videoPid))
        return ProgramCheckFailure {IdVideoPid, tv ? QStringLiteral("Video Pid: [32,  8190]")
                                                   : QStringLiteral("Video Pid: [32,  8191]")};
    if (!PidRuleOf("Audio Pid1", tv)->Allows(v.audioPid1))
        return ProgramCheckFailure {IdAudioPid1, QStringLiteral("Audio Pid1:  [32,  65535]")};
    // A second audio PID is needed before a third.
    if ((v.audioPid2 != 0 || v.audioPid3 != 0) && !PidRuleOf("Audio Pid2", tv)->Allows(v.audioPid2 == 0 ? -1 : v.audioPid2))
        return ProgramCheckFailure {IdAudioPid2, QStringLiteral("Audio Pid2:  0 or [32,  65535]")};
    if (!PidRuleOf("Audio Pid3", tv)->Allows(v.audioPid3))
        return ProgramCheckFailure {IdAudioPid3, QStringLiteral("Audio Pid3:  0 or [32,  65535]")};
    if (!PidRuleOf("PCR Pid", tv)->Allows(v.pcrPid))
        return ProgramCheckFailure {IdPcrPid, QStringLiteral("PCR Pid: [32,  8191]")};
    return std::nullopt;
}

std::optional<ProgramCheckFailure> ProgramInfoForm::Validate(ProgramValues &v) const
{
    if (std::optional<ProgramCheckFailure> failure = CheckRanges(v))
        return failure;
    // Past the ranges above, a number must still fit its field, or it would be stored cut. The
    // audio PIDs are checked again while writing, where a bad one is stored as 0 with a message.
    const struct
    {
        const char *field;
        int64_t value;
        int controlId;
    } numbers[] = {
        {"Service ID", int64_t(v.serviceId), IdServiceId},
        {"Video Pid", v.videoPid, IdVideoPid},
        {"PCR Pid", v.pcrPid, IdPcrPid},
    };
    for (const auto &number : numbers) {
        if (std::optional<FieldProblem> problem = CheckFieldFits(m_db, KindProgram, number.field, number.value,
                                                                 QString::fromLatin1(number.field), number.controlId))
            return problem;
    }
    return std::nullopt;
}

std::optional<QString> ProgramInfoForm::InsertRefusal() const
{
    if (!m_node)
        return std::nullopt;
    const int tpId = m_node->kind == NavTransponder ? m_node->tpId : 0;
    const int freeId = m_db.FindFreeId(KindProgram, m_node->satId, tpId);
    if (freeId < 0)
        return CoreMessages::LayoutsMissing();
    if (freeId == 0)
        return QStringLiteral("No program can be added here: every program id of this transponder (1 to 1023) "
                              "is taken.");
    // A file with more programs than this cannot be opened again.
    if (m_db.LiveCount(KindProgram) >= CChannelDb::MaxNodes(KindProgram))
        return QStringLiteral("The database is full: it already holds %1 programs, the most a file can take.")
            .arg(CChannelDb::MaxNodes(KindProgram));
    return std::nullopt;
}

void ProgramInfoForm::InsertIntoSlotList(int slot)
{
    SlotList &slots = m_node->slots;
    size_t free = size_t(std::find(slots.begin(), slots.end(), -1) - slots.begin());
    if (free == slots.size())
        slots.resize(slots.size() + 64, -1);
    m_node->hasSlots = true;
    const size_t position = size_t(std::max(m_position, 0));
    if (position > free) {
        slots[free] = slot;
        m_position = int(free);
        return;
    }
    for (size_t i = free; i > position; --i)
        slots[i] = slots[i - 1];
    slots[position] = slot;
    m_position = int(position);
}

int ProgramInfoForm::CreateProgram(UserPrompt &prompt)
{
    const int slot = m_db.AllocateNode(KindProgram);
    if (slot < 0) {
        prompt.ShowMessage(QStringLiteral("The database is full: there is no room for another program."));
        return -1;
    }
    uint8_t *record = m_db.Record(KindProgram, slot);
    const size_t size = size_t(std::max(m_db.Layouts().NodeSize(KindProgram), 0));
    std::memcpy(record, NewProgramImage.data(), std::min(size, NewProgramImage.size()));
    InsertIntoSlotList(slot);
    return slot;
}

ProgramWriteResult ProgramInfoForm::Write(const ProgramValues &values, UserPrompt &prompt)
{
    ProgramWriteResult result;
    if (!m_node)
        return result;
    if (m_mode == ProgramInsertMode) {
        if (const std::optional<QString> refusal = InsertRefusal()) {
            prompt.ShowMessage(*refusal);
            result.status = ProgramWriteResult::Refused;
            return result;
        }
        result.slot = CreateProgram(prompt);
        if (result.slot < 0) {
            result.status = ProgramWriteResult::Refused;
            return result;
        }
        result.status = ProgramWriteResult::Created;
    } else if (m_mode == ProgramEditMode) {
        result.slot = ProgramSlot();
        if (result.slot < 0 || !m_db.IsUsed(KindProgram, result.slot)) {
            result.slot = -1;
            return result;
        }
        result.before = m_db.RecordBytes(KindProgram, result.slot);
        result.status = ProgramWriteResult::Edited;
    } else {
        return result;
    }
    WriteFields(result.slot, values, prompt);
    return result;
}

void ProgramInfoForm::WriteFields(int slot, const ProgramValues &values, UserPrompt &prompt)
{
    CChannelDb &db = m_db;
    auto write = [&](const char *name, const std::string &text, FieldOrder order = PositionOrder) {
        return SetNodeTextByName(db, KindProgram, slot, name, text, order);
    };
    auto has = [&](const char *name, FieldOrder order = PositionOrder) {
        return db.Layouts().FindField(KindProgram, name, order) >= 0;
    };

    if (m_mode == ProgramInsertMode) {
        const int32_t satId = m_node->satId;
        const int32_t tpId = m_node->kind == NavTransponder ? m_node->tpId : 0;
        if (m_node->kind == NavTransponder)
            write("tp_id", Decimal(tpId));
        if (m_node->kind == NavSatellite || m_node->kind == NavTransponder)
            write("sat_id", Decimal(satId));
        const int progId = std::max(db.FindFreeId(KindProgram, satId, tpId), 0);
        write("sat_id", Decimal(satId), DeclarationOrder);
        write("tp_id", Decimal(tpId), DeclarationOrder);
        write("prog_id", Decimal(progId), DeclarationOrder);
    }

    if (has("Service Name")) {
        // The edit already keeps the name to what the field holds; a pasted surrogate pair cut at
        // the limit must not make the whole name unstorable.
        const std::string name = CutUtf16Units(values.name.toStdString(), size_t(NameCapacity()));
        write("name_len", Decimal(int32_t(2 * Utf16Length(name))), DeclarationOrder);
        write("Service Name", name);
    }
    // A list without a selection leaves its stored value as it was.
    if (values.serviceTypeRow >= 0 && values.serviceTypeRow < int(ServiceTypeTable.size()))
        write("Service Type", Decimal(ServiceTypeTable[size_t(values.serviceTypeRow)].value));
    write("Video Pid", Decimal(values.videoPid));

    auto checkedAudio = [&](int32_t pid, const char *message) {
        if (pid != 0 && !InRange(pid, 32, 65535)) {
            prompt.ShowMessage(QString::fromLatin1(message));
            return int32_t(0);
        }
        return pid;
    };
    int audioCount = 1;
    write("Audio Pid1", Decimal(checkedAudio(values.audioPid1, "Audio Pid1 invalid")));
    if (has("Audio Pid2")) {
        write("Audio Pid2", Decimal(checkedAudio(values.audioPid2, "Audio Pid2 invalid")));
        audioCount = 2;
    }
    if (has("Audio Pid3")) {
        write("Audio Pid3", Decimal(checkedAudio(values.audioPid3, "Audio Pid3 invalid")));
        audioCount += 1;
    }
    // How many audio fields the layout has, not how many are in use.
    write("audio_count", Decimal(audioCount), DeclarationOrder);
    write("PCR Pid", Decimal(values.pcrPid));
    write("Favorite Group", UnsignedDecimal(TickedGroups(values)));
    if (values.scrambleRow >= 0 && values.scrambleRow < int(NoYesTable.size()))
        write("Scramble", Decimal(NoYesTable[size_t(values.scrambleRow)].value));
    if (values.factoryRow >= 0 && values.factoryRow < int(NoYesTable.size()))
        write("Factory", Decimal(NoYesTable[size_t(values.factoryRow)].value));
    write("Service ID", UnsignedDecimal(values.serviceId));
}
