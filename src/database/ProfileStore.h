// The application profile: text entries kept between runs, addressed by section and entry.
#pragma once

#include <QString>

class ProfileStore
{
public:
    virtual ~ProfileStore() = default;
    // The entry's text, or an empty text when it is absent.
    virtual QString ReadString(const QString &section, const QString &entry) const = 0;
    virtual void WriteString(const QString &section, const QString &entry, const QString &value) = 0;
};
