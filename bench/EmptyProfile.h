// A profile with no saved settings, so the benchmarks never read or write the user's own.
#pragma once

#include "database/ProfileStore.h"

class EmptyProfile : public ProfileStore
{
public:
    QString ReadString(const QString &, const QString &) const override { return {}; }
    void WriteString(const QString &, const QString &, const QString &) override {}
};
