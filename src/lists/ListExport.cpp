// The bytes of File → Export.
#include "lists/ListExport.h"

#include "database/CChannelDb.h"
#include "database/DatabaseDump.h"

QByteArray ExportBytes(const CChannelDb &db, ExportFormat format, ExportScope scope, const std::vector<int32_t> &slots)
{
    const DatabaseDump dump(db);
    const bool whole = scope == ExportScope::WholeDatabase;
    if (format == ExportFormat::Csv)
        return whole ? dump.Csv(KindProgram) : dump.Csv(KindProgram, slots);
    return (whole ? dump.Json() : dump.Json(&slots)).toJson(QJsonDocument::Indented);
}

QString ExportFilter(ExportFormat format)
{
    return format == ExportFormat::Csv ? QStringLiteral("CSV list(*.csv)") : QStringLiteral("JSON list(*.json)");
}
