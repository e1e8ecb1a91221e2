// Formatting the rate and time left of a transfer step.
#include "core/TransferRate.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kSeparator = QStringLiteral(" \u00B7 ");

QString OneDecimal(double value, const char *unit)
{
    // "9.8 KB/s", but "245 KB/s": a decimal only where it tells something.
    return value < 100.0 ? QString::asprintf("%.1f %s", value, unit) : QString::asprintf("%.0f %s", value, unit);
}

} // namespace

QString FormatByteRate(double bytesPerSecond)
{
    if (!(bytesPerSecond >= 0.0) || std::isinf(bytesPerSecond))
        bytesPerSecond = 0.0;
    if (bytesPerSecond < 1024.0)
        return QString::asprintf("%.0f B/s", bytesPerSecond);
    if (bytesPerSecond < 1024.0 * 1024.0)
        return OneDecimal(bytesPerSecond / 1024.0, "KB/s");
    return OneDecimal(bytesPerSecond / (1024.0 * 1024.0), "MB/s");
}

QString FormatTimeLeft(double seconds)
{
    if (!(seconds >= 0.0))
        seconds = 0.0;
    // Beyond 99 hours a figure means nothing to the user.
    const uint64_t whole = uint64_t(std::min(std::ceil(seconds), 99.0 * 3600 + 59 * 60 + 59));
    const unsigned h = unsigned(whole / 3600), m = unsigned(whole / 60 % 60), s = unsigned(whole % 60);
    return h > 0 ? QString::asprintf("%u:%02u:%02u left", h, m, s) : QString::asprintf("%u:%02u left", m, s);
}

QString FormatTransferRate(uint64_t done, uint64_t total, double elapsedSeconds)
{
    if (total == 0)
        return done > 0 ? QStringLiteral("100 %") : QStringLiteral("0 %");
    done = std::min(done, total);
    const int percent = int(done * 100 / total);
    QString text = QString::number(percent) + QStringLiteral(" %");
    if (done == 0 || !(elapsedSeconds > 0.0))
        return text;
    const double rate = double(done) / elapsedSeconds;
    text += kSeparator + FormatByteRate(rate);
    if (done < total)
        text += kSeparator + FormatTimeLeft(double(total - done) / rate);
    return text;
}
