// Joins cells with tabs, keeping each cell on its line and in its column.
#include "database/TabSeparatedText.h"

namespace {

void AppendLine(QString &out, const QStringList &cells)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += QLatin1Char('\t');
        QString cell = cells[i];
        for (QChar &c : cell) {
            if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                c = QLatin1Char(' ');
        }
        out += cell;
    }
    out += QLatin1Char('\n');
}

} // namespace

QString TabSeparatedText(const QStringList &header, const std::vector<QStringList> &rows)
{
    QString out;
    AppendLine(out, header);
    for (const QStringList &row : rows)
        AppendLine(out, row);
    return out;
}
