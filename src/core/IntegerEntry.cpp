// Parsing whole numbers typed into dialogs.
#include "core/IntegerEntry.h"

namespace {

// Decimal digits after an optional sign (only when signs are allowed); at least one digit.
bool IsDecimalText(const QString &text, bool signAllowed)
{
    qsizetype start = 0;
    if (signAllowed && !text.isEmpty() && (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-')))
        start = 1;
    if (start == text.size())
        return false;
    for (qsizetype i = start; i < text.size(); ++i) {
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

std::optional<int32_t> ParseSignedEntry(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (!IsDecimalText(trimmed, true))
        return std::nullopt;
    bool ok = false;
    const int value = trimmed.toInt(&ok, 10);
    return ok ? std::optional<int32_t>(value) : std::nullopt;
}

std::optional<uint32_t> ParseUnsignedEntry(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (!IsDecimalText(trimmed, false))
        return std::nullopt;
    bool ok = false;
    const uint value = trimmed.toUInt(&ok, 10);
    return ok ? std::optional<uint32_t>(value) : std::nullopt;
}
