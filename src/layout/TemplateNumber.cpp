// Number parsing shared by the template parser and every integer written into a node.
#include "layout/TemplateNumber.h"

#include <cctype>

int32_t ParseTemplateNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == '\t' || text[i] == '\n' || text[i] == '\r' || text[i] == ' '
                               || text[i] == ';'))
        ++i;
    uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    uint32_t value = 0;  // unsigned so that the wrap-around is defined
    for (; i < text.size(); ++i) {
        const char c = char(std::tolower(static_cast<unsigned char>(text[i])));
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = uint32_t(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = uint32_t(c - 'a' + 10);
        else
            break;
        // The digit set is 0-9 and a-f in either base; stored templates rely on that reading.
        value = value * base + digit;
    }
    return int32_t(value);
}
