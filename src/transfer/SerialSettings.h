// The frame's one block of link settings: port, line, transfer format and the ".abs" choices.
#pragma once

#include "link/DownloadJob.h"
#include "link/LinkPortSettings.h"
#include "link/UploadJob.h"

// Lives as long as the frame; every transfer copies it when its dialog starts, so a change made
// while no transfer runs reaches the next one.
struct SerialSettings {
    LinkPortSettings port;      // COM1, 115200, even parity, one stop bit at start
    int transferFormat = 1;     // 1 = "Format 1", 2 = "Format 2"
    bool loadDefaultDb = true;  // ".abs" download: "Default Database"
    bool loadUserDb = false;    // ".abs" download: "User Database"

    DownloadOptions Download() const
    {
        DownloadOptions options;
        options.port = port;
        options.transferFormat = transferFormat;
        options.loadDefaultDb = loadDefaultDb;
        options.loadUserDb = loadUserDb;
        return options;
    }
    UploadOptions Upload() const
    {
        UploadOptions options;
        options.port = port;
        options.transferFormat = transferFormat;
        return options;
    }
    // The version a transfer format stands for when the STB names none.
    static uint8_t VersionForFormat(int format) { return format == 2 ? 0x20 : 0x10; }
};
