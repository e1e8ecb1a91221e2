// The writers: payload, compression, sub-chunk headers, favourite tail and atomic file writes.
#include "database/DatabaseWriter.h"

#include "core/ByteOrder.h"
#include "core/CoreMessages.h"
#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseFormat.h"
#include "database/DatabaseReader.h"
#include "database/RecordConverter.h"
#include "database/SaveSelfCheck.h"
#include "layout/LayoutSet.h"

#include <QFile>
#include <QSaveFile>

#include <zlib.h>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstring>
#include <vector>

using namespace DatabaseFormat;

namespace {

constexpr NodeKind kStorageOrder[3] = {KindSatellite, KindTransponder, KindProgram};

QByteArray SubChunkHeader(uint8_t type, uint32_t bodyLength, uint32_t next)
{
    QByteArray header(kSubChunkHeaderSize, '\0');
    uint8_t *p = reinterpret_cast<uint8_t *>(header.data());
    p[0] = type;
    ByteOrder::WriteBe24(p + 1, bodyLength);
    ByteOrder::WriteBe24(p + 4, next);
    return header;
}

// Compresses at level 9 into a buffer of the given size; shows the zlib code on failure.
bool Compress(const CChannelDb &db, const QByteArray &payload, int bufferSize, QByteArray &stream)
{
    stream.resize(bufferSize);
    uLongf length = uLongf(bufferSize);
    const int result = compress2(reinterpret_cast<Bytef *>(stream.data()), &length,
                                 reinterpret_cast<const Bytef *>(payload.constData()), uLong(payload.size()), 9);
    if (result != Z_OK) {
        db.Prompt().ShowMessage(QString::asprintf("Compressed ERROR %02X\n", result));
        return false;
    }
    stream.resize(qsizetype(length));
    return true;
}

// The user is warned that terrestrial nodes are not saved; false when the save is declined.
bool AcceptTerrestrialLoss(const CChannelDb &db, const Payload &payload)
{
    if (!payload.terrestrial)
        return true;
    return db.Prompt().AskYesNo(QStringLiteral("It will remove Terrestrial, Do you continue saving?"))
        == UserPrompt::Yes;
}

SaveResult WriteAtomically(const CChannelDb &db, const QString &path, const QByteArray &bytes, bool terrestrialKept);

// Node data, padding and the given tail: the body of every ".usd".
// imageSize above 0: the container is followed by erased flash (0xFF) up to that size, the form
// of a ".udf"; a container larger than that is refused.
SaveResult WriteUserDatabase(const CChannelDb &db, const QString &path, const QByteArray &tail,
                       const SaveOptions &options = {}, qint64 imageSize = 0)
{
    Payload payload;
    if (!BuildPayload(db, payload, options))
        return SaveResult::Failed;
    QByteArray stream;
    if (!Compress(db, payload.bytes, kMaxPayload, stream))
        return SaveResult::Failed;
    const int e = int(stream.size());
    const int padding = StreamPadding(e);
    if (!AcceptTerrestrialLoss(db, payload))
        return SaveResult::Declined;

    QByteArray file = SubChunkHeader(kNodeDataType, uint32_t(e),
                                     tail.isEmpty() ? 0 : uint32_t(kSubChunkHeaderSize + e + padding));
    file.append(stream);
    file.append(QByteArray(padding, '\0'));
    file.append(tail);
    if (imageSize > 0) {
        if (file.size() > imageSize) {
            db.Prompt().ShowMessage(QStringLiteral("The user database (%1 bytes) does not fit the %2 bytes of \"%3\", "
                                                   "the receiver's user area. The file is unchanged.")
                                        .arg(file.size())
                                        .arg(imageSize)
                                        .arg(path));
            return SaveResult::Failed;
        }
        file.append(QByteArray(qsizetype(imageSize - file.size()), char(0xFF)));
    }
    return WriteAtomically(db, path, file, options.keepTerrestrial);
}

// QSaveFile writes beside the target and renames over it; an existing target keeps its mode, and
// one that is not writable is refused (the new file would otherwise replace a read-only file).
// Before anything is written the bytes are read back and compared with the database: a file that
// would not give back what is open is refused and the old one stays.
SaveResult WriteAtomically(const CChannelDb &db, const QString &path, const QByteArray &bytes, bool terrestrialKept)
{
    const QString mismatch = CheckSavedBytes(db, bytes, terrestrialKept);
    if (!mismatch.isEmpty()) {
        db.Prompt().ShowMessage(mismatch);
        return SaveResult::Failed;
    }
    QSaveFile file(path);
    bool opened = file.open(QIODevice::WriteOnly);
#ifdef Q_OS_UNIX
    // QSaveFile copies the mode through Qt's permission flags, which add the owner's write bit
    // for whoever may write (root on a read-only file): the old mode bits are set exactly.
    struct stat old {};
    if (opened && ::stat(QFile::encodeName(path).constData(), &old) == 0 && S_ISREG(old.st_mode)
        && ::fchmod(file.handle(), old.st_mode & 0777) != 0)
        opened = false;
#endif
    if (!opened || file.write(bytes) != bytes.size() || !file.commit()) {
        db.Prompt().ShowMessage(CoreMessages::CannotWrite(path) + QLatin1Char('\n') + file.errorString());
        return SaveResult::Failed;
    }
    return SaveResult::Written;
}

QString KindName(NodeKind kind)
{
    return kind == KindSatellite ? QStringLiteral("satellite") : kind == KindTransponder ? QStringLiteral("transponder")
                                                                                         : QStringLiteral("program");
}

} // namespace

bool BuildPayload(const CChannelDb &db, Payload &payload, const SaveOptions &options)
{
    const RecordConverter converter(db.Layouts());
    std::vector<uint8_t> index(6);
    std::vector<uint8_t> data;
    ByteOrder::WriteLe32(index.data(), kIndexMagic);
    size_t entries = 0;
    payload.terrestrial = false;
    if (db.HasPool() && !db.LayoutsInStep()) {
        db.Prompt().ShowMessage(CoreMessages::LayoutsChanged());
        return false;
    }
    for (NodeKind kind : kStorageOrder) {
        if (!converter.IsValid(kind)) {
            db.Prompt().ShowMessage(CoreMessages::LayoutsMissing());
            return false;
        }
        const size_t nodeSize = size_t(db.Layouts().NodeSize(kind));
        int written = 0;
        for (int slot = 0; slot < db.Count(kind); ++slot) {
            const uint8_t *record = db.Record(kind, slot);
            if (!record)
                continue;
            const size_t start = data.size();
            const int length = converter.Db3ToDb4(kind, data, record, nodeSize);
            if (length < 0)
                return false;
            ApplyWriterFaultHook(kind, slot, data.data() + start, size_t(length));
            const uint32_t id = ByteOrder::ReadLe32(data.data() + start);
            // The reader tells a node's kind by the parts of its id: an id that does not say this
            // kind (a satellite id 0, a transponder id 0) would make a file that cannot be opened.
            if (KindOfNodeId(id) != kind) {
                db.Prompt().ShowMessage(
                    QStringLiteral("Cannot save: the %1 in place %2 has an invalid id (satellite %3, transponder %4, "
                                   "program %5). Give it a valid id first.")
                        .arg(KindName(kind))
                        .arg(slot + 1)
                        .arg(RecordConverter::SatIdOf(id))
                        .arg((id >> 10) & 0x3FF)
                        .arg(id & 0x3FF));
                return false;
            }
            if (RecordConverter::SatIdOf(id) == RecordConverter::kTerrestrialSatId && !options.keepTerrestrial) {
                payload.terrestrial = true;
                data.resize(start);
                continue;
            }
            // The reader refuses files with more nodes of a kind than this: never write one.
            if (++written > CChannelDb::MaxNodes(kind)) {
                db.Prompt().ShowMessage(QStringLiteral("Too many nodes to save: at most %1 satellites, %2 "
                                                       "transponders and %3 programs.")
                                            .arg(CChannelDb::kMaxSatelliteNodes)
                                            .arg(CChannelDb::kMaxTransponders)
                                            .arg(CChannelDb::kMaxPrograms));
                return false;
            }
            uint8_t entry[kIndexEntrySize];
            ByteOrder::WriteLe32(entry, id);
            ByteOrder::WriteLe24(entry + 4, uint32_t(start));
            index.insert(index.end(), entry, entry + kIndexEntrySize);
            ++entries;
        }
    }
    const size_t indexSize = 10 + entries * kIndexEntrySize;
    if (indexSize + data.size() > size_t(kMaxPayload)) {
        db.Prompt().ShowMessage(QStringLiteral("The database is too large to be saved: %1 bytes of node data, "
                                               "at most %2.")
                                    .arg(indexSize + data.size())
                                    .arg(kMaxPayload));
        return false;
    }
    ByteOrder::WriteLe16(index.data() + 4, uint16_t(entries));
    for (size_t i = 0; i < entries; ++i) {
        uint8_t *offset = index.data() + 6 + i * kIndexEntrySize + 4;
        ByteOrder::WriteLe24(offset, ByteOrder::ReadLe24(offset) + uint32_t(indexSize));
    }
    uint8_t magic[4];
    ByteOrder::WriteLe32(magic, kDataMagic);
    index.insert(index.end(), magic, magic + 4);

    payload.bytes.resize(qsizetype(indexSize + data.size()));
    std::memcpy(payload.bytes.data(), index.data(), indexSize);
    if (!data.empty())
        std::memcpy(payload.bytes.data() + indexSize, data.data(), data.size());
    return true;
}

QByteArray BuildFavouriteTail(CChannelDb &db, const ProfileStore &profile)
{
    if (!db.Favourites())
        db.LoadDefaultFavourites(profile);
    FavouriteRecord &record = *db.Favourites();
    const int nameLength = record.nameLength;
    const int size = 24 + record.count * nameLength;
    const int padded = (size + 15) / 16 * 16;
    record.dataLength = uint32_t(3 + record.count * nameLength);

    QByteArray tail = SubChunkHeader(kFavouriteType, uint32_t(size - kSubChunkHeaderSize),
                                     db.HasExtraBlock() ? uint32_t(padded) : 0);
    tail.append(char(record.type));
    uint8_t length[4];
    ByteOrder::WriteLe32(length, record.dataLength);
    tail.append(reinterpret_cast<const char *>(length), 4);
    tail.append(char(record.count));
    tail.append(char(record.nameLength));
    tail.append(char(record.extra));
    for (int i = 0; i < record.count; ++i) {
        QByteArray name(nameLength, '\0');
        if (size_t(i) < record.names.size()) {
            const std::string &text = record.names[size_t(i)];
            std::memcpy(name.data(), text.data(), std::min(text.size(), size_t(nameLength)));
        }
        tail.append(name);
    }
    tail.append(QByteArray(padded - size, '\0'));
    if (db.HasExtraBlock())
        tail.append(db.ExtraBlock());
    return tail;
}

namespace {

// The ".ddf" up to its fill: header, stream, padding and tail; false (with the writer's message)
// when the payload cannot be built or compressed.
bool BuildDefaultFrame(CChannelDb &db, const ProfileStore &profile, const SaveOptions &options, QByteArray &frame,
                       bool &terrestrial)
{
    const QByteArray tail = BuildFavouriteTail(db, profile);
    Payload payload;
    if (!BuildPayload(db, payload, options))
        return false;
    QByteArray stream;
    if (!Compress(db, payload.bytes, kDefaultCompressBuffer, stream))
        return false;
    const int e = int(stream.size());
    const int padding = StreamPadding(e);
    frame = SubChunkHeader(kNodeDataType, uint32_t(e), uint32_t(kSubChunkHeaderSize + e + padding));
    frame.append(stream);
    frame.append(QByteArray(padding, '\0'));
    frame.append(tail);
    terrestrial = payload.terrestrial;
    return true;
}

} // namespace

qint64 DefaultDatabaseLength(CChannelDb &db, const ProfileStore &profile, const SaveOptions &options)
{
    QByteArray frame;
    bool terrestrial = false;
    return BuildDefaultFrame(db, profile, options, frame, terrestrial) ? qint64(frame.size()) : -1;
}

SaveResult SaveDefaultDatabase(CChannelDb &db, const QString &path, const ProfileStore &profile,
                               const SaveOptions &options)
{
    QByteArray file;
    bool terrestrial = false;
    if (!BuildDefaultFrame(db, profile, options, file, terrestrial))
        return SaveResult::Failed;
    // The stream alone (e >= 65281) or the stream with padding and tail does not fit the file.
    if (file.size() > kDefaultFileSize) {
        db.Prompt().ShowMessage(QStringLiteral("Default data is too long!"));
        return SaveResult::Failed;
    }
    Payload flag;
    flag.terrestrial = terrestrial;
    if (!AcceptTerrestrialLoss(db, flag))
        return SaveResult::Declined;

    const int fillStart = int(file.size());
    file.resize(kDefaultFileSize);
    for (int j = 0; fillStart + j < kDefaultFileSize; ++j)
        file[fillStart + j] = kFillPattern[j % 6];
    return WriteAtomically(db, path, file, options.keepTerrestrial);
}

SaveResult SaveNewUserDatabase(CChannelDb &db, const QString &path, const ProfileStore &profile,
                               const SaveOptions &options)
{
    const QByteArray tail = BuildFavouriteTail(db, profile);
    return WriteUserDatabase(db, path, tail, options);
}

bool UserDatabaseTail(const QByteArray &file, QByteArray &tail)
{
    tail.clear();
    if (file.size() < kSubChunkHeaderSize)
        return true;  // no second sub-chunk: nothing to keep
    const uint32_t tailAt = ByteOrder::ReadBe24(reinterpret_cast<const uint8_t *>(file.constData()) + 4);
    // Without a second sub-chunk there is nothing to keep; the old node data is not a tail.
    if (tailAt == 0)
        return true;
    if (tailAt > uint32_t(file.size()))
        return false;
    tail = file.mid(qsizetype(tailAt));
    return true;
}

SaveResult SaveUserDatabaseWithTail(const CChannelDb &db, const QString &path, const QByteArray &tail)
{
    return WriteUserDatabase(db, path, tail);
}

SaveResult SaveUserDatabaseImage(const CChannelDb &db, const QString &path, const QByteArray &tail, qint64 imageSize)
{
    return WriteUserDatabase(db, path, tail, {}, imageSize);
}

SaveResult SaveUserDatabase(const CChannelDb &db, const QString &path)
{
    QByteArray old;
    QString reason;
    switch (ReadBoundedFile(path, db.Capacity(), old, reason)) {
    case FileReadStatus::CannotOpen:
        db.Prompt().ShowMessage(CoreMessages::CannotOpen(path) + QLatin1Char('\n') + reason);
        return SaveResult::Failed;
    case FileReadStatus::TooLarge:
        db.Prompt().ShowMessage(CoreMessages::TooLargeFile()
                                + QStringLiteral("\nA channel database has at most %1 bytes.").arg(db.Capacity()));
        return SaveResult::Failed;
    case FileReadStatus::Read:
        break;
    }
    QByteArray tail;
    if (!UserDatabaseTail(old, tail)) {
        // The part to keep cannot be found: saving would lose it, so nothing is written.
        db.Prompt().ShowMessage(QStringLiteral("Cannot save into \"%1\": the file is damaged behind its node "
                                               "data. Save under another name; the file is unchanged.")
                                    .arg(path));
        return SaveResult::Failed;
    }
    return WriteUserDatabase(db, path, tail);
}
