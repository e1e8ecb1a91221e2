// The one number syntax of templates and field values: decimal, or hexadecimal after "0x".
#pragma once

#include <cstdint>
#include <string_view>

// No sign is accepted; an empty or non-numeric text is 0; arithmetic wraps at 32 bits.
int32_t ParseTemplateNumber(std::string_view text);
