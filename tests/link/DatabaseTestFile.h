// Test helper: the smallest database container a download accepts, followed by any bytes.
#pragma once

#include <QByteArray>

#include <zlib.h>

// An empty node index (magic, no entries, data mark), zlib-compressed into sub-chunk 1 with no
// sub-chunk after it, padded to 16 bytes; then tail. The download checks only the container.
inline QByteArray DatabaseContainer(const QByteArray &tail = QByteArray())
{
    const unsigned char payload[10] = {0x0F, 0xF0, 0x0F, 0xF0, 0, 0, 0x78, 0x56, 0x34, 0x12};
    unsigned char stream[64];
    uLongf streamLength = sizeof stream;
    compress2(stream, &streamLength, payload, sizeof payload, 9);
    QByteArray file(16, '\0');
    file[0] = 1;
    file[1] = char(streamLength >> 16);
    file[2] = char(streamLength >> 8);
    file[3] = char(streamLength);
    file.append(reinterpret_cast<const char *>(stream), int(streamLength));
    while (file.size() % 16 != 0)
        file.append('\0');
    return file + tail;
}

// A container whose tail brings it to exactly size bytes, taken from filler.
inline QByteArray DatabaseFileOfSize(int size, const QByteArray &filler)
{
    QByteArray file = DatabaseContainer();
    file += filler.left(size - file.size());
    return file;
}
