// Parsing of the short filter form and the file-name rules of the file dialogs.
#include "core/ShortFilter.h"

#include <algorithm>

namespace {

// The entry that starts at `at`; moves `at` past its separator. The last entry runs to the end.
QString NextEntry(const QString &filter, qsizetype &at, bool takeRest)
{
    QString entry;
    qsizetype scan = at;
    if (scan < filter.size() && (filter[scan] == u'"' || filter[scan] == u'\'')) {
        const qsizetype close = filter.indexOf(filter[scan], scan + 1);
        if (close < 0) {
            at = filter.size();
            return filter.mid(scan + 1);
        }
        entry = filter.mid(scan + 1, close - scan - 1);
        scan = close + 1;
    }
    qsizetype end = takeRest ? -1 : filter.indexOf(u'|', scan);
    if (end < 0)
        end = filter.size();
    entry += filter.mid(scan, end - scan);
    at = end < filter.size() ? end + 1 : end;
    return entry;
}

} // namespace

std::vector<ShortFilterEntry> ParseShortFilter(const QString &filter)
{
    std::vector<ShortFilterEntry> entries;
    qsizetype at = 0;
    while (at < filter.size() && int(entries.size()) < kMaxShortFilterEntries) {
        const bool last = int(entries.size()) == kMaxShortFilterEntries - 1;
        while (last && at < filter.size() && filter[at] == u'|')
            ++at;  // empty entries before the last one are skipped as everywhere
        const QString entry = NextEntry(filter, at, last);
        if (entry.isEmpty())
            continue;
        const qsizetype open = entry.indexOf(u'(');
        const qsizetype close = open < 0 ? -1 : entry.indexOf(u')', open + 1);
        if (close < 0)
            continue;
        ShortFilterEntry parsed;
        parsed.description = entry;
        parsed.pattern = entry.mid(open + 1, close - open - 1);
        parsed.extension = parsed.pattern.mid(1);
        entries.push_back(parsed);
    }
    return entries;
}

QString InitialFileName(const QString &initialName, const std::vector<ShortFilterEntry> &entries)
{
    if (!initialName.isEmpty())
        return initialName;
    return QStringLiteral("*") + (entries.empty() ? QString() : entries.front().extension);
}

QString FileNamePart(const QString &path)
{
    const qsizetype separator = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(separator + 1);
}

int PreselectedFileType(const QString &initialName, const std::vector<ShortFilterEntry> &entries)
{
    const QString name = FileNamePart(initialName);
    const qsizetype dot = name.indexOf(u'.');
    if (dot < 0)
        return 1;
    const QString extension = name.mid(dot);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].extension == extension)  // case-sensitive, as the types are written
            return int(i) + 1;
    }
    return 1;
}

QString TypeExtension(const QString &typeText)
{
    const qsizetype star = typeText.indexOf(u'*');
    if (star < 0)
        return {};
    const qsizetype close = typeText.indexOf(u')', star + 1);
    return close < 0 ? typeText.mid(star + 1) : typeText.mid(star + 1, close - star - 1);
}

QString NameAfterTypeChange(const QString &nameBoxText, const QString &typeText)
{
    const QString extension = TypeExtension(typeText);
    if (nameBoxText.isEmpty())
        return QStringLiteral("*") + extension;
    const QString name = FileNamePart(nameBoxText);
    const QString folder = nameBoxText.left(nameBoxText.size() - name.size());
    if (name.isEmpty())
        return folder + QStringLiteral("*") + extension;
    const qsizetype dot = name.indexOf(u'.');
    return folder + (dot < 0 ? name : name.left(dot)) + extension;
}
