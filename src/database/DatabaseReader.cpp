// The reading sequence: sub-chunk headers, favourite groups, kept sub-chunks, inflate, index, DB3.
#include "database/DatabaseReader.h"

#include "core/ByteOrder.h"
#include "core/CoreMessages.h"
#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/CChannelDbLoader.h"
#include "database/DatabaseFormat.h"
#include "database/RecordConverter.h"
#include "layout/FieldDesc.h"

#include <QFile>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace DatabaseFormat;

namespace {

const uint8_t *Bytes(const QByteArray &a)
{
    return reinterpret_cast<const uint8_t *>(a.constData());
}

QString InflateMessage(int result)
{
    switch (result) {
    case Z_VERSION_ERROR: return QStringLiteral("zlib version mismatch!\n");
    case Z_MEM_ERROR: return QStringLiteral("out of memory\n");
    case Z_DATA_ERROR: return QStringLiteral("invalid or incomplete default data\n");
    case Z_STREAM_ERROR: return QStringLiteral("invalid compression level\n");
    default: return QStringLiteral("ERROR: uncompress failed!\n");
    }
}

// Sub-chunk 2 with the favourite groups, and the chain of further sub-chunks behind it.
bool ParseFavouriteSubChunk(CChannelDb &db, const QByteArray &file, size_t at)
{
    UserPrompt &prompt = db.Prompt();
    const size_t size = size_t(file.size());
    const uint8_t *p = Bytes(file);
    if (at + kSubChunkHeaderSize > size || p[at] != kFavouriteType) {
        prompt.ShowMessage(QStringLiteral("Error to parser header of sub chunk 2"));
        return false;
    }
    if (at + 24 <= size && p[at + 16] == kFavouriteGroupType) {
        const int count = int8_t(p[at + 21]);
        const int nameLength = int8_t(p[at + 22]);
        if (count >= 1 && count <= 127 && nameLength >= 1 && nameLength <= 127) {
            const size_t namesAt = at + 24;
            if (namesAt + size_t(count) * size_t(nameLength) > size) {
                prompt.ShowMessage(CoreMessages::DamagedFile());
                return false;
            }
            auto record = std::make_unique<FavouriteRecord>();
            record->type = kFavouriteGroupType;
            record->typeName = kFavouriteGroupTypeName;
            record->dataLength = ByteOrder::ReadLe32(p + at + 17);
            record->count = uint8_t(count);
            record->nameLength = uint8_t(nameLength);
            record->extra = p[at + 23];
            for (int i = 0; i < count; ++i) {
                const char *name = reinterpret_cast<const char *>(p + namesAt + size_t(i * nameLength));
                record->names.emplace_back(name, strnlen(name, size_t(nameLength)));
            }
            db.SetFavourites(std::move(record));
        }
    }

    const uint32_t next = ByteOrder::ReadBe24(p + at + 4);
    if (next == 0)
        return true;
    QByteArray block;
    size_t chunk = at + next;
    while (true) {
        if (chunk + kSubChunkHeaderSize > size) {
            prompt.ShowMessage(CoreMessages::DamagedFile());
            return false;
        }
        const uint32_t following = ByteOrder::ReadBe24(p + chunk + 4);
        const size_t chunkSize = following != 0 ? following : ByteOrder::ReadBe24(p + chunk + 1) + size_t(16);
        // A sub-chunk is at least its header, lies inside the file, and the block has a limit.
        if (chunkSize < kSubChunkHeaderSize || chunk + chunkSize > size
            || size_t(block.size()) + chunkSize > size_t(kMaxPayload)) {
            prompt.ShowMessage(CoreMessages::DamagedFile());
            return false;
        }
        block.append(file.constData() + chunk, qsizetype(chunkSize));
        if (following == 0)
            break;
        chunk += following;
    }
    db.SetExtraBlock(std::move(block));
    return true;
}

bool Refuse(CChannelDb &db, const QString &message)
{
    if (!message.isEmpty())
        db.Prompt().ShowMessage(message);
    db.Clear();
    return false;
}

} // namespace

bool LoadDatabaseBytes(CChannelDb &db, const QByteArray &file, bool useDefaultFavourites, const ProfileStore &profile)
{
    db.Clear();
    if (file.size() > db.Capacity())
        return Refuse(db, CoreMessages::TooLargeFile());
    const size_t size = size_t(file.size());
    const uint8_t *p = Bytes(file);
    if (size < kSubChunkHeaderSize || p[0] != kNodeDataType)
        return Refuse(db, QStringLiteral("Error to parser header of sub chunk 1"));
    const size_t streamLength = ByteOrder::ReadBe24(p + 1);
    const size_t favouritesAt = ByteOrder::ReadBe24(p + 4);

    if (favouritesAt != 0 && !ParseFavouriteSubChunk(db, file, favouritesAt)) {
        db.Clear();
        return false;
    }
    if (kSubChunkHeaderSize + streamLength > size)
        return Refuse(db, InflateMessage(Z_DATA_ERROR));  // the stream is cut short

    // The node table and favourites gathered so far survive the pool set-up.
    std::unique_ptr<FavouriteRecord> favourites;
    if (db.Favourites())
        favourites = std::make_unique<FavouriteRecord>(*db.Favourites());
    const QByteArray extraBlock = db.ExtraBlock();
    const bool hasExtraBlock = db.HasExtraBlock();
    db.CreateEmpty();
    db.SetFavourites(std::move(favourites));
    if (hasExtraBlock)
        db.SetExtraBlock(extraBlock);

    // Inflate straight into the pool behind the 16-byte header, as the records are addressed.
    CChannelDbLoader loader(db);
    uint8_t *pool = loader.PoolData();
    uLongf payloadLength = uLongf(std::min<size_t>(size_t(kMaxPayload), loader.PoolSize() - kSubChunkHeaderSize));
    const int result = uncompress(pool + kSubChunkHeaderSize, &payloadLength, p + kSubChunkHeaderSize,
                                  uLong(streamLength));
    if (result != Z_OK)
        return Refuse(db, InflateMessage(result));
    const size_t payloadEnd = kSubChunkHeaderSize + payloadLength;
    loader.SetUsed(int(payloadEnd));

    if (payloadLength < 6)
        return Refuse(db, CoreMessages::DamagedFile());
    const uint8_t *index = pool + kSubChunkHeaderSize;
    const size_t entries = ByteOrder::ReadLe16(index + 4);
    const size_t indexEnd = 6 + entries * kIndexEntrySize;
    if (indexEnd > payloadLength)
        return Refuse(db, CoreMessages::DamagedFile());
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t *entry = index + 6 + i * kIndexEntrySize;
        const uint32_t id = ByteOrder::ReadLe32(entry);
        const uint32_t offset = ByteOrder::ReadLe24(entry + 4);
        const std::optional<NodeKind> kind = KindOfNodeId(id);
        // Records lie behind the index, inside the payload.
        if (!kind || offset < indexEnd || offset >= payloadLength)
            return Refuse(db, CoreMessages::DamagedFile());
        std::vector<LoadEntry> &list = *loader.LoadList(*kind);
        if (int(list.size()) >= CChannelDb::MaxNodes(*kind))
            return Refuse(db, QStringLiteral("The database holds more nodes than the editor can take."));
        list.push_back(LoadEntry{id, offset + uint32_t(kSubChunkHeaderSize)});
    }
    loader.BuildSlotMaps();
    const RecordConverter converter(db.Layouts());
    if (!converter.IsValid(KindTransponder) || !converter.IsValid(KindSatellite) || !converter.IsValid(KindProgram))
        return Refuse(db, CoreMessages::LayoutsMissing());
    if (!loader.TransferToDb3()) {
        db.Clear();  // the transfer has given its reason
        return false;
    }
    if (useDefaultFavourites)
        db.LoadDefaultFavourites(profile);
    return true;
}

bool LoadDatabase(CChannelDb &db, const QString &path, bool useDefaultFavourites, const ProfileStore &profile,
                  QByteArray *fileBytes)
{
    QByteArray bytes;
    QString reason;
    switch (ReadBoundedFile(path, db.Capacity(), bytes, reason)) {
    case FileReadStatus::CannotOpen:
        db.Clear();
        db.Prompt().ShowMessage(CoreMessages::CannotOpen(path) + QLatin1Char('\n') + reason);
        return false;
    case FileReadStatus::TooLarge:
        db.Clear();
        db.Prompt().ShowMessage(CoreMessages::TooLargeFile()
                                + QStringLiteral("\nA channel database has at most %1 bytes.").arg(db.Capacity()));
        return false;
    case FileReadStatus::Read:
        break;
    }
    const bool loaded = LoadDatabaseBytes(db, bytes, useDefaultFavourites, profile);
    if (fileBytes)
        *fileBytes = std::move(bytes);
    return loaded;
}

namespace {

QString SystemReason(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

#ifdef Q_OS_UNIX

// Closes the descriptor on every way out.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

enum class Wait { Ready, HungUp, TimedOut, Failed };

// Waits for bytes (or the writer's end) on a descriptor opened without blocking.
Wait WaitForBytes(int fd, int timeoutMs)
{
    pollfd entry {fd, POLLIN, 0};
    int result;
    do
        result = ::poll(&entry, 1, timeoutMs);
    while (result < 0 && errno == EINTR);
    if (result < 0)
        return Wait::Failed;
    if (result == 0)
        return Wait::TimedOut;
    if ((entry.revents & POLLIN) == 0 && (entry.revents & POLLHUP) != 0)
        return Wait::HungUp;
    return Wait::Ready;
}

#endif

} // namespace

FileReadStatus ReadBoundedFile(const QString &path, qint64 limit, QByteArray &bytes, QString &reason,
                               int idleTimeoutMs)
{
    bytes.clear();
    reason.clear();
    const qint64 most = limit + 1;  // one byte more than allowed tells a file that is too large
#ifdef Q_OS_UNIX
    // Opened without blocking: opening a FIFO for reading would otherwise wait for a writer.
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        reason = SystemReason(errno);
        return FileReadStatus::CannotOpen;
    }
    const Descriptor descriptor {fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = SystemReason(errno);
        return FileReadStatus::CannotOpen;
    }
    if (S_ISDIR(info.st_mode)) {
        reason = SystemReason(EISDIR);
        return FileReadStatus::CannotOpen;
    }
    const bool regular = S_ISREG(info.st_mode);
    if (regular) {
        // A regular file always has its bytes at hand: plain blocking reads.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0)
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    qint64 reserve = regular ? std::min<qint64>(qint64(info.st_size), limit) + 1 : 65536;
    bytes.resize(qsizetype(std::min(reserve, most)));
    qint64 used = 0;
    bool hungUp = false;
    while (used < most) {
        if (used == bytes.size())
            bytes.resize(qsizetype(std::min<qint64>(most, qint64(bytes.size()) * 2)));
        const ssize_t got = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
        if (got > 0) {
            used += got;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        const bool waitForWriter = got == 0 && S_ISFIFO(info.st_mode) && used == 0 && !hungUp;
        const bool waitForBytes = got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        if (got == 0 && !waitForWriter)
            break;  // the end of the file, or the writer closed its end
        if (got < 0 && !waitForBytes) {
            reason = SystemReason(errno);
            bytes.clear();
            return FileReadStatus::CannotOpen;
        }
        // A FIFO that no writer has opened yet reads as empty: wait for one as for bytes.
        switch (WaitForBytes(fd, idleTimeoutMs)) {
        case Wait::Ready:
            break;
        case Wait::HungUp:
            hungUp = true;
            break;
        case Wait::TimedOut:
            bytes.clear();
            reason = QStringLiteral("nothing to read for %1 s (a pipe or FIFO without a writer?)")
                         .arg(double(idleTimeoutMs) / 1000.0);
            return FileReadStatus::CannotOpen;
        case Wait::Failed:
            reason = SystemReason(errno);
            bytes.clear();
            return FileReadStatus::CannotOpen;
        }
    }
    if (used > limit) {
        bytes.clear();
        return FileReadStatus::TooLarge;
    }
    bytes.resize(qsizetype(used));
    return FileReadStatus::Read;
#else
    Q_UNUSED(idleTimeoutMs);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return FileReadStatus::CannotOpen;
    }
    bytes = file.read(most);
    if (qint64(bytes.size()) > limit) {
        bytes.clear();
        return FileReadStatus::TooLarge;
    }
    return FileReadStatus::Read;
#endif
}
