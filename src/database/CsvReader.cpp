// A small RFC 4180 reader: every byte is looked at once and every cell bounded by the text.
#include "database/CsvReader.h"

#include <QByteArrayView>

namespace {

QString Decode(const QByteArray &bytes, bool &ok)
{
    ok = QByteArrayView(bytes).isValidUtf8();
    return ok ? QString::fromUtf8(bytes) : QString();
}

} // namespace

CsvTable ReadCsv(const QByteArray &bytes)
{
    CsvTable table;
    bool ok = true;
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);

    std::vector<CsvRecord> records;
    CsvRecord record;
    QByteArray cell;
    int line = 1;
    record.line = 1;
    bool quoted = false;      // inside a quoted cell
    bool afterQuote = false;  // a quoted cell has closed; only a separator may follow
    bool anyCell = false;     // the record has text or a separator (a blank line has neither)
    auto endCell = [&]() -> bool {
        record.cells << Decode(cell, ok);
        cell.resize(0);  // keeps the buffer for the next cell
        afterQuote = false;
        if (!ok)
            table.error = QStringLiteral("line %1: the text is not UTF-8").arg(record.line);
        return ok;
    };
    auto endRecord = [&]() -> bool {
        if (anyCell || !cell.isEmpty()) {
            if (!endCell())
                return false;
            records.push_back(std::move(record));
        }
        record = CsvRecord();
        record.line = line;
        anyCell = false;
        return true;
    };
    const qsizetype size = data.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < size && data[i + 1] == '"') {
                    cell += '"';
                    ++i;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                if (c == '\n')
                    ++line;
                cell += c;
            }
            continue;
        }
        if (c == ',') {
            anyCell = true;
            if (!endCell())
                return table;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
                ++i;
            ++line;
            if (!endRecord())
                return table;
        } else if (afterQuote) {
            table.error = QStringLiteral("line %1: text after a closing quote").arg(line);
            return table;
        } else if (c == '"' && cell.isEmpty()) {
            quoted = true;
            anyCell = true;
        } else {
            cell += c;
            anyCell = true;
        }
    }
    if (quoted) {
        table.error = QStringLiteral("line %1: a quote is not closed").arg(record.line);
        return table;
    }
    if (!endRecord())
        return table;

    if (records.empty()) {
        table.error = QStringLiteral("the file holds no header line");
        return table;
    }
    table.header = records.front().cells;
    for (size_t r = 1; r < records.size(); ++r) {
        if (records[r].cells.size() != table.header.size()) {
            table.error = QStringLiteral("line %1: %2 fields where the header has %3")
                              .arg(records[r].line)
                              .arg(records[r].cells.size())
                              .arg(table.header.size());
            return table;
        }
    }
    records.erase(records.begin());
    table.records = std::move(records);
    return table;
}
