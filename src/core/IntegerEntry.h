// The one reading of a whole number typed into a dialog: decimal digits, optionally signed.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// Blanks around the number are allowed; nothing else is: no hexadecimal, no exponent, no inner
// blanks, no second sign. A number beyond the type's range is no entry either.
std::optional<int32_t> ParseSignedEntry(const QString &text);
std::optional<uint32_t> ParseUnsignedEntry(const QString &text);
