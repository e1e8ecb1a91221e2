// Finding channels: folding names, parsing the typed text and matching it against a program.
#include "database/ChannelFind.h"

#include "database/CChannelDb.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"

#include <array>

namespace {

bool IsAscii(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

bool IsCombiningMark(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
           || category == QChar::Mark_Enclosing;
}

} // namespace

QString FoldForFind(QStringView text)
{
    return FoldForFind(text.toString());
}

QString FoldForFind(QString &&text)
{
    // Nearly every name is plain ASCII: it needs no decomposition, which costs far more.
    if (IsAscii(text))
        return std::move(text).toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString bare;
    bare.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (!IsCombiningMark(c))
            bare.append(c);
    }
    return bare.toCaseFolded();
}

FindQuery MakeFindQuery(QStringView text)
{
    FindQuery query;
    const QStringView trimmed = text.trimmed();
    query.folded = FoldForFind(trimmed);
    // Only plain digits count as a number: "-1" or "1e3" are looked for in the names only.
    bool digits = !trimmed.isEmpty() && trimmed.size() <= 10;
    for (QChar c : trimmed)
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (digits)
        query.number = trimmed.toLongLong();
    return query;
}

bool FindMatches(const FindQuery &query, const FindKey &key)
{
    if (query.IsEmpty())
        return true;
    if (query.number) {
        for (size_t i = 0; i < key.numberCount; ++i) {
            if (key.numbers[i] == *query.number)
                return true;
        }
    }
    return key.name.contains(query.folded);
}

bool NameStartsWith(const FindKey &key, const FindQuery &prefix)
{
    return key.name.startsWith(prefix.folded);
}

FindKeyReader::FindKeyReader(const CChannelDb &db) : m_db(db)
{
    const LayoutSet &layouts = db.Layouts();
    m_nameField = layouts.FindField(KindProgram, "Service Name", DeclarationOrder);
    static constexpr std::array numberNames {"Service ID", "Video Pid", "Audio Pid1", "Audio Pid2", "Audio Pid3",
                                             "PCR Pid"};
    static_assert(numberNames.size() <= FindKey::kMaxNumbers);
    for (const char *name : numberNames) {
        const int field = layouts.FindField(KindProgram, name, DeclarationOrder);
        if (field >= 0)
            m_numberFields.push_back(field);
    }
}

FindKey FindKeyReader::Read(int slot) const
{
    FindKey key;
    ReadName(key, slot);
    ReadNumbers(key, slot);
    return key;
}

void FindKeyReader::Complete(FindKey &key, int slot, const FindQuery &query) const
{
    if (!key.nameRead)
        ReadName(key, slot);
    if (query.number && !key.numbersRead)
        ReadNumbers(key, slot);
}

void FindKeyReader::ReadName(FindKey &key, int slot) const
{
    key.nameRead = true;
    if (m_nameField >= 0 && m_db.IsUsed(KindProgram, slot)
        && m_db.GetNodeData(KindProgram, slot, m_nameField, m_name, 0, DeclarationOrder))
        key.name = FoldForFind(QString::fromUtf8(m_name.data(), qsizetype(m_name.size())));
}

void FindKeyReader::ReadNumbers(FindKey &key, int slot) const
{
    key.numbersRead = true;
    if (!m_db.IsUsed(KindProgram, slot))
        return;
    for (int field : m_numberFields) {
        int32_t value = 0;
        // The ids and PIDs are unsigned 16-bit fields: read as stored, never as negative numbers.
        if (m_db.GetNodeInt(KindProgram, slot, field, value, 0, DeclarationOrder))
            key.AddNumber(int64_t(uint32_t(value)));
    }
}
