// Row texts of the Find Duplicates window.
#include "lists/DuplicateRows.h"

#include "database/FavouriteGroups.h"

QStringList DuplicateColumnTitles()
{
    return {QStringLiteral("Keep"),  QStringLiteral("Index"),     QStringLiteral("Name"),
            QStringLiteral("Transponder"), QStringLiteral("PIDs (video/audio/PCR)"), QStringLiteral("Scrambled"),
            QStringLiteral("Favourite groups")};
}

QString DuplicateGroupTitle(const DuplicateGroup &group, int number)
{
    const QString how = group.rule == DuplicateRule::SameService
                            ? QStringLiteral("same service id on one transponder")
                            : QStringLiteral("same name and type on one satellite");
    return QStringLiteral("Group %1: %2, %3 programs").arg(number).arg(how).arg(group.members.size());
}

std::unordered_map<int32_t, int> ChannelNumbers(const std::vector<ProgramFacts> &programs)
{
    std::unordered_map<int32_t, int> numbers;
    numbers.reserve(programs.size());
    for (size_t i = 0; i < programs.size(); ++i)
        numbers.emplace(programs[i].slot, int(i) + 1);
    return numbers;
}

QString FavouriteGroupList(uint32_t groups)
{
    QStringList numbers;
    for (int g = 1; g <= FavouriteGroups::kCount; ++g) {
        if (groups & FavouriteGroups::Bit(g))
            numbers << QString::number(g);
    }
    return numbers.isEmpty() ? QStringLiteral("-") : numbers.join(QStringLiteral(", "));
}

QStringList DuplicateMemberTexts(const DuplicateMember &member, int channelNumber, bool kept)
{
    const ProgramFacts &p = member.program;
    QString transponder = QStringLiteral("sat %1 / tp %2").arg(p.key.satId).arg(p.key.tpId);
    if (p.frequency >= 0)
        transponder += p.terrestrial ? QStringLiteral(" (%1 kHz)").arg(p.frequency)
                                     : QStringLiteral(" (%1 MHz)").arg(p.frequency);
    QStringList cells;
    cells << (kept ? QStringLiteral("keep") : QStringLiteral("delete"))
          << (channelNumber > 0 ? QString::number(channelNumber) : QStringLiteral("slot %1").arg(p.slot))
          << QString::fromStdString(p.name) << transponder
          << QStringLiteral("%1/%2/%3").arg(p.videoPid).arg(p.audioPid).arg(p.pcrPid)
          << (p.scrambled ? QStringLiteral("yes") : QStringLiteral("no")) << FavouriteGroupList(p.groups);
    return cells;
}

QString DuplicateSummary(const std::vector<DuplicateGroup> &groups)
{
    size_t dropped = 0;
    for (const DuplicateGroup &group : groups)
        dropped += group.members.size() - 1;
    if (groups.empty())
        return QStringLiteral("No duplicates found.");
    return QStringLiteral("%1 groups; %2 programs would be deleted").arg(groups.size()).arg(dropped);
}

QString KeepRuleTitle(KeepRule rule)
{
    switch (rule) {
    case KeepRule::FirstInOrder:
        return QStringLiteral("First in channel order");
    case KeepRule::MostGroups:
        return QStringLiteral("In most favourite groups");
    case KeepRule::FreeToAir:
        return QStringLiteral("Free-to-air before scrambled");
    }
    return {};
}
