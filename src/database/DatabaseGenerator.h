// Realistic synthetic channel databases for any layout, reproducible from a seed.
#pragma once

#include <QString>

#include <cstdint>

class CChannelDb;
class LayoutSet;
class ProfileStore;

struct GeneratorOptions
{
    int satellites = 4;
    int transponders = 40;
    int programs = 400;
    uint32_t seed = 1;
    // The last satellite becomes the terrestrial one (satellite id 255, DVB-T transponders).
    bool terrestrial = false;
};

class DatabaseGenerator
{
public:
    // Most satellites the ids 1..254 allow (the terrestrial satellite takes 255 instead).
    static constexpr int kMaxSatelliteIds = 254;
    static constexpr int kFavouriteGroups = 32;
    static constexpr int kFavouriteNameLength = 18;

    explicit DatabaseGenerator(const LayoutSet &layouts);

    // Empty when the counts can be generated; otherwise the reason, for the user.
    static QString CheckOptions(const GeneratorOptions &options);

    // Replaces the content of db with the generated nodes and 32 named favourite groups.
    // Only fields present in the layouts are written, each looked up by name.
    bool Generate(CChannelDb &db, const GeneratorOptions &options) const;

    // Writes db as ".ddf" (by the path's extension) or else as a new ".usd" with its favourite
    // sub-chunk. Terrestrial nodes, which the editor's writers drop, are kept in the file.
    static bool WriteFile(CChannelDb &db, const QString &path, const ProfileStore &profile);

    enum class FitTarget {
        UserPayload,   // the node data fits the 852096-byte payload of a ".usd"
        DefaultFile,   // the whole ".ddf" fits its 65280 bytes
    };
    // The largest program count (satellites and transponders as given) whose database fits the
    // target; 0 when not even an empty program list fits.
    int LargestProgramCount(GeneratorOptions options, FitTarget target) const;

private:
    bool Fits(const GeneratorOptions &options, FitTarget target) const;

    const LayoutSet &m_layouts;
};
