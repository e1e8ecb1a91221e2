// UTF-8 length limits for names stored in fixed-size fields.
#include "core/Utf8Text.h"

#include <QString>

std::string CutUtf8(std::string_view text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut));
}

size_t Utf16Length(std::string_view text)
{
    return size_t(QString::fromUtf8(text.data(), qsizetype(text.size())).size());
}

std::string CutUtf16Units(std::string_view text, size_t maxUnits)
{
    const QString units = QString::fromUtf8(text.data(), qsizetype(text.size()));
    if (size_t(units.size()) <= maxUnits)
        return std::string(text);
    qsizetype cut = qsizetype(maxUnits);
    if (cut > 0 && units.at(cut - 1).isHighSurrogate())
        --cut;  // the pair's second half does not fit
    return units.left(cut).toStdString();
}
