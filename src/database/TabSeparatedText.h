// Rows as tab-separated text with a header line: what Copy puts on the clipboard for a spreadsheet.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One line per row after the header, each ended by "\n"; a tab or line break inside a cell becomes
// a space, so that every cell stays in its column when pasted.
QString TabSeparatedText(const QStringList &header, const std::vector<QStringList> &rows);
