// The TV/Radio filter of the channel list: which programs a fill shows.
#pragma once

// A filter's number is the "Service Type" value it shows (1 TV, 0 radio); 2 shows every program.
enum class ServiceFilter : int {
    RadioOnly = 0,
    TvOnly = 1,
    TvAndRadio = 2,
};
