// Favourite-group names from the database, falling back to the profile.
#include "database/FavouriteNameTable.h"

#include "core/Utf8Text.h"
#include "database/CChannelDb.h"
#include "database/ProfileStore.h"

#include <QString>

#include <cstdint>

FavouriteNameTable BuildFavouriteNameTable(const CChannelDb &db, const ProfileStore &profile)
{
    FavouriteNameTable table;
    const FavouriteRecord *favourites = db.Favourites();
    for (int i = 0; i < kFavouriteNameCount; ++i) {
        const int32_t bit = int32_t(uint32_t(1) << i);
        std::string name;
        if (favourites && i < int(favourites->count) && size_t(i) < favourites->names.size()) {
            name = favourites->names[size_t(i)];
        } else {
            name = profile.ReadString(QStringLiteral("Project Favor Group"), QStringLiteral("FavGroup%1").arg(i))
                       .toStdString();
        }
        table[size_t(i)].key = std::to_string(bit);
        table[size_t(i)].name = CutUtf8(name, kFavouriteNameBytes);
    }
    return table;
}
