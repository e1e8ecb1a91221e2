// What File → Export writes and what Copy puts on the clipboard, without a window.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class CChannelDb;

enum class ExportFormat { Csv, Json };
enum class ExportScope { CurrentList, WholeDatabase };

// The programs of `slots` in that order (CurrentList) or every node (WholeDatabase) in the
// export format of `dravel-cli dump`: the program CSV, or the JSON dump. The whole database as
// CSV is its program table, the one a field import reads.
QByteArray ExportBytes(const CChannelDb &db, ExportFormat format, ExportScope scope,
                       const std::vector<int32_t> &slots);

// The file dialog's type for a format: "CSV list(*.csv)" or "JSON list(*.json)".
QString ExportFilter(ExportFormat format);
