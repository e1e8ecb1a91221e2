// The line under a progress bar: percentage, rate and time left of a long transfer step.
#pragma once

#include <QString>
#include <cstdint>

// "45 % · 9.8 KB/s · 0:12 left" from the bytes done of total and the seconds the step has run.
// Until a byte is done (or no time has passed) only the percentage is known: "0 %". A finished
// step has no time left: "100 % · 9.8 KB/s". Rates are in bytes per second with 1024-byte KB and
// MB, one decimal below 100; the time left is m:ss, or h:mm:ss from one hour on.
QString FormatTransferRate(uint64_t done, uint64_t total, double elapsedSeconds);

// Parts of the line, for labels that show them apart.
QString FormatByteRate(double bytesPerSecond);
QString FormatTimeLeft(double seconds);
