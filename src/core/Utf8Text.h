// Cutting UTF-8 texts to a byte or UTF-16 length without splitting a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest start of the text with at most maxBytes bytes that ends on a character boundary.
std::string CutUtf8(std::string_view text, size_t maxBytes);

// Number of UTF-16 code units the text takes when stored (invalid bytes count as one unit each,
// as the conversion replaces them).
size_t Utf16Length(std::string_view text);

// The longest start of the text whose UTF-16 form has at most maxUnits units, never splitting a
// surrogate pair; a text that fits is returned unchanged. A text field of B bytes holds B / 2 units.
std::string CutUtf16Units(std::string_view text, size_t maxUnits);
