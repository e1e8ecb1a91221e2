// Finding channels: what a typed text matches, and the values of a program a find looks at.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CChannelDb;

// Text folded for finding: case folded and without accents, so "e" finds "é" and "E" finds "É".
QString FoldForFind(QStringView text);
// The same for a text of its own: plain ASCII is folded in place.
QString FoldForFind(QString &&text);

// What the user typed, prepared once for every program it is tried on.
struct FindQuery
{
    QString folded;                 // the text trimmed and folded; empty matches every program
    std::optional<int64_t> number;  // the text as a decimal number, when it is one

    bool IsEmpty() const { return folded.isEmpty(); }
};

FindQuery MakeFindQuery(QStringView text);

// The values of one program a find looks at.
struct FindKey
{
    static constexpr size_t kMaxNumbers = 6;

    QString name;  // the service name, folded
    // The service id and every PID the layout has: a fixed array, so 30000 keys cost no
    // allocation each.
    std::array<int64_t, kMaxNumbers> numbers {};
    size_t numberCount = 0;
    // Which parts were read: a text needs only the name, a number also the ids.
    bool nameRead = false;
    bool numbersRead = false;

    void AddNumber(int64_t value)
    {
        if (numberCount < kMaxNumbers)
            numbers[numberCount++] = value;
    }
};

// The name contains the text, or the text is a number equal to the service id or a PID.
bool FindMatches(const FindQuery &query, const FindKey &key);
// Type-ahead in the list: the name starts with the text (an empty text starts every name).
bool NameStartsWith(const FindKey &key, const FindQuery &prefix);

// Reads the find keys of programs; the fields are looked up once per reader.
class FindKeyReader
{
public:
    explicit FindKeyReader(const CChannelDb &db);
    // A free slot or a field that cannot be read leaves its part of the key empty.
    FindKey Read(int slot) const;
    // Reads what the query needs and the key lacks.
    void Complete(FindKey &key, int slot, const FindQuery &query) const;

private:
    void ReadName(FindKey &key, int slot) const;
    void ReadNumbers(FindKey &key, int slot) const;

    const CChannelDb &m_db;
    int m_nameField = -1;
    std::vector<int> m_numberFields;
    mutable std::string m_name;  // one buffer for all names read
};
