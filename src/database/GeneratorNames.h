// Name and value tables the database generator draws from: real satellites, channels, providers.
#pragma once

#include <cstdint>

namespace GeneratorNames {

struct Satellite
{
    const char *name;
    int orbit;      // tenths of a degree, East positive, West negative
    bool cBand;     // C-band LNB (5150 MHz) and 3400..4200 MHz transponders
};

inline constexpr Satellite kSatellites[] = {
    {"Astra 19.2E", 192, false},   {"Hot Bird 13E", 130, false},    {"Astra 28.2E", 282, false},
    {"Astra 23.5E", 235, false},   {"Eutelsat 7E", 70, false},      {"Eutelsat 16E", 160, false},
    {"Türksat 42E", 420, false},   {"Thor 0.8W", -8, false},        {"Hispasat 30W", -300, false},
    {"Amos 4W", -40, false},       {"Nilesat 7W", -70, false},      {"Eutelsat 5W", -50, false},
    {"Badr 26E", 260, false},      {"Astra 4.8E", 48, false},       {"Eutelsat 9E", 90, false},
    {"Yamal 90E", 900, false},     {"ABS 75E", 750, false},         {"Express 40E", 400, false},
    {"Intelsat 68.5E", 685, true}, {"AsiaSat 105.5E", 1055, true},  {"Apstar 138E", 1380, true},
    {"Galaxy 97W", -970, false},   {"Telstar 15W", -150, false},    {"Hellas Sat 39E", 390, false},
};

// Prefixes for satellites beyond the table: "<prefix> <orbit>".
inline constexpr const char *kSatellitePrefixes[] = {"Astra", "Eutelsat", "Intelsat", "SES", "Thor",
                                                     "Amos", "Express", "Yamal", "ABS", "Arabsat"};

inline constexpr const char *kTvNames[] = {
    "Das Erste HD", "ZDF HD", "BBC One", "BBC Two", "ITV", "Channel 4", "Sky News", "RTL", "SAT.1", "ProSieben",
    "VOX", "kabel eins", "3sat", "arte", "Phoenix", "KiKA", "Rai 1", "Rai 2", "Rai 3", "Canale 5", "Italia 1",
    "Rete 4", "TF1", "France 2", "France 24", "M6", "TVE 1", "La 2", "Antena 3", "Euronews", "CNN Intl",
    "Al Jazeera", "BBC World News", "TRT 1", "Show TV", "ORF 1", "ORF 2", "SRF 1", "ČT1", "Россия 1",
    "Discovery", "Eurosport 1", "MTV", "Nickelodeon", "Cartoon Network", "National Geo", "History",
    "Bloomberg", "CNBC Europe", "DW English", "TV5Monde", "NHK World", "Sport 1", "Nova", "Polsat", "TVP 1",
};

inline constexpr const char *kRadioNames[] = {
    "BBC Radio 1", "BBC Radio 4", "Bayern 3", "SWR3", "WDR 2", "NDR 2", "Rai Radio 1", "France Inter",
    "RNE 1", "Ö3", "DLF", "Radio Swiss Pop", "Classic FM", "Jazz Radio", "Antenne Bayern", "RTL Radio",
};

inline constexpr const char *kProviders[] = {
    "ARD", "ZDFvision", "BBC", "SKY", "CANAL+", "RAI", "ORF", "SRG SSR", "TVP", "Digiturk",
    "Mediaset", "RTL Group", "ProSiebenSat.1", "France TV", "RTVE", "Discovery", "Eutelsat", "SES",
};

// Conditional-access system ids of common systems (Seca, Viaccess, Irdeto, NDS, Conax, Cryptoworks, Nagra).
inline constexpr uint16_t kCasSystems[] = {0x0100, 0x0500, 0x0600, 0x0900, 0x0B00, 0x0D00, 0x1800};

// ISO 639-1 language codes, stored as two ASCII letters in 16 bits, the first in the high byte.
inline constexpr const char *kLanguages[] = {"de", "en", "fr", "it", "es", "tr", "pl", "ru", "nl", "ar"};

inline constexpr int kSymbolRates[] = {22000, 27500, 30000, 29900, 27000, 23000, 28000, 26000};

inline constexpr const char *kFavouriteNames[] = {
    "Favourites 1", "News", "Sports", "Movies", "Music", "Kids", "Documentary", "Series",
    "Radio", "HD", "Regional", "Shopping", "Religion", "Education", "Lifestyle", "Travel",
    "Weather", "Culture", "Business", "Science", "Comedy", "Nature", "Cooking", "Gaming",
    "Favourites 25", "Favourites 26", "Favourites 27", "Favourites 28", "Favourites 29",
    "Favourites 30", "Favourites 31", "Favourites 32",
};

} // namespace GeneratorNames
