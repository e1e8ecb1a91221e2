// DownloadJob: building the new database chunk contents from an ".abs", ".ddf" or ".udf" file.
#include "link/DownloadFileKind.h"
#include "link/DownloadJob.h"

#include "core/ByteOrder.h"
#include "core/UserPrompt.h"
#include "link/AbsImage.h"

#include <QFile>

namespace {

QString SizeMessage(const char *format, uint64_t stbSize)
{
    return QString::asprintf(format, unsigned(stbSize));
}

bool ReadAt(QFile &file, uint64_t offset, uint8_t *out, uint64_t count)
{
    return file.seek(qint64(offset)) && file.read(reinterpret_cast<char *>(out), qint64(count)) == qint64(count);
}

} // namespace

bool DownloadJob::PrepareDownloadData(const QString &path)
{
    FreeBuffers();
    if (m_defaultIndex < 0 || m_userIndex < 0)
        return Fail("Unrecognize File Type");
    // STB sizes come from the line: refuse what cannot sensibly be a database chunk.
    if (StbDefaultSize() > kMaxChunkBytes || StbUserSize() > kMaxChunkBytes)
        return Fail(QString::asprintf("The STB reports a database chunk larger than 0x%08X bytes.",
                                      unsigned(kMaxChunkBytes)));
    switch (DownloadFileKindOf(path)) {
    case DownloadFileKind::FlashImage:
        return PrepareAbs(path);
    case DownloadFileKind::DefaultDatabase:
        return PrepareDatabaseFile(path, false);
    case DownloadFileKind::UserDatabase:
        return PrepareDatabaseFile(path, true);
    case DownloadFileKind::None:
        break;
    }
    return Fail("Unrecognize File Type");
}

bool DownloadJob::PrepareAbs(const QString &path)
{
    AbsWalk walk;
    if (WalkAbsChunks(path, walk) == 0)
        return Fail("Get File blocks error");
    // A default-database chunk at the end of the chain has size 0: it then takes its contents.
    const uint64_t fileDefaultSize = walk.defaultDbSize != 0 ? walk.defaultDbSize
                                                             : uint64_t(walk.defaultDbLength) + 16;
    const uint64_t stbDefault = StbDefaultSize();
    const uint64_t stbUser = StbUserSize();
    if (walk.hasDefaultDb && stbDefault < fileDefaultSize)
        return Fail(SizeMessage("Select File default database size large than Slave default database size \n"
                                " Slave size: 0x%08X", stbDefault));
    if (walk.hasUserDb && stbUser < walk.userDbSize)
        return Fail(SizeMessage("Select File user database size large than Slave user database size \n"
                                " Slave size: 0x%08X", stbUser));
    if (m_options.loadDefaultDb && !walk.hasDefaultDb)
        return Fail("The selected file has no default database chunk.");
    if (m_options.loadUserDb && !walk.hasUserDb)
        return Fail("The selected file has no user database chunk.");
    // Chunks without a CRC were not checked against the file's end by the walk.
    if ((walk.hasDefaultDb && walk.defaultDbOffset + fileDefaultSize > walk.fileSize)
        || (walk.hasUserDb && walk.userDbOffset + walk.userDbSize > walk.fileSize))
        return Fail("Get File blocks error");

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail("Can't Read Select File!");
    if (m_options.loadDefaultDb) {
        std::vector<uint8_t> buffer(stbDefault, 0xFF);
        if (!ReadAt(file, walk.defaultDbOffset, buffer.data(), fileDefaultSize))
            return Fail("Can't Read Select File!");
        m_chunks[size_t(m_defaultIndex)].data = std::move(buffer);
    }
    if (m_options.loadUserDb) {
        std::vector<uint8_t> buffer(stbUser, 0xFF);
        if (!ReadAt(file, walk.userDbOffset, buffer.data(), walk.userDbSize)) {
            FreeBuffers();
            return Fail("Can't Read Select File!");
        }
        m_chunks[size_t(m_userIndex)].data = std::move(buffer);
    }
    return true;
}

bool DownloadJob::PrepareDatabaseFile(const QString &path, bool userDb)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail("Can't Read Select File!");
    const uint64_t fileLength = uint64_t(file.size());
    const uint64_t stbSize = userDb ? StbUserSize() : StbDefaultSize();
    m_userHeadWanted = false;
    // A ".udf" that fits the area the upload reads is such an upload: it goes back where the
    // upload took it, behind the receiver's first 0x20000 bytes, which stay as they are.
    if (userDb && StbUserArea() > 0 && fileLength <= StbUserArea()) {
        std::vector<uint8_t> buffer(stbSize, 0xFF);
        std::copy(m_userHeader.begin(), m_userHeader.end(), buffer.begin());
        ByteOrder::WriteBe32(buffer.data() + 12, kNoCrcMark);
        if (!ReadAt(file, 0, buffer.data() + kChunkHeaderSize + kUdfContentOffset, fileLength))
            return Fail("Can't Read Select File!");
        m_chunks[size_t(m_userIndex)].data = std::move(buffer);
        m_userHeadWanted = true;
        return true;
    }
    if (fileLength + kChunkHeaderSize > stbSize) {
        return Fail(SizeMessage(userDb ? "Select user database File size large than Slave user database size \n"
                                         " Slave size: 0x%08X"
                                       : "Select default database File size large than Slave default database "
                                         "size \n Slave size: 0x%08X",
                                stbSize));
    }
    std::vector<uint8_t> buffer(stbSize, 0xFF);
    auto header = userDb ? m_userHeader : m_defaultHeader;
    std::copy(header.begin(), header.end(), buffer.begin());
    if (!userDb)
        ByteOrder::WriteBe32(buffer.data() + 4, uint32_t(fileLength + 112));
    ByteOrder::WriteBe32(buffer.data() + 12, kNoCrcMark);
    if (!ReadAt(file, 0, buffer.data() + kChunkHeaderSize, fileLength))
        return Fail("Can't Read Select File!");
    m_chunks[size_t(userDb ? m_userIndex : m_defaultIndex)].data = std::move(buffer);
    return true;
}
