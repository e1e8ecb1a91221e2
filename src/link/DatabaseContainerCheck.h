// The local check of a ".ddf" or ".udf" before it is downloaded: container, zlib stream, index.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// The same checks as the database reader, up to the point where it needs the template layouts
// (which a download does not have, and which the receiver does not use): sub-chunk
// 1 holds compressed node data whose zlib stream lies inside the file and inflates completely
// (to at most the largest payload) into an index with its magic number, whose entries name
// nodes of a known kind with records inside the payload. Returns an empty string when the bytes
// pass, else the reason ("the zlib stream is damaged (invalid distance too far back)").
QString CheckDatabaseContainer(const uint8_t *bytes, size_t size);
