// UdfDatabase: finding the container inside a ".udf" image and writing it back in place.
#include "database/UdfDatabase.h"

#include "core/ByteOrder.h"
#include "core/CoreMessages.h"
#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseFormat.h"
#include "database/DatabaseReader.h"

namespace {

constexpr size_t kHeader = size_t(DatabaseFormat::kSubChunkHeaderSize);

const uint8_t *Bytes(const QByteArray &file)
{
    return reinterpret_cast<const uint8_t *>(file.constData());
}

} // namespace

bool UdfDatabase::IsUdfPath(const QString &path)
{
    return path.endsWith(QStringLiteral(".udf"), Qt::CaseInsensitive);
}

bool UdfDatabase::ContainerTail(const QByteArray &file, QByteArray &tail)
{
    tail.clear();
    const size_t size = size_t(file.size());
    if (size < kHeader)
        return false;
    const size_t tailAt = ByteOrder::ReadBe24(Bytes(file) + 4);
    if (tailAt == 0)
        return true;
    size_t at = tailAt;
    // Every step moves forward by at least one header, so the walk ends.
    for (;;) {
        if (at + kHeader > size)
            return false;
        const size_t next = ByteOrder::ReadBe24(Bytes(file) + at + 4);
        if (next == 0)
            break;
        if (next < kHeader)
            return false;
        at += next;
    }
    size_t end = at + kHeader + ByteOrder::ReadBe24(Bytes(file) + at + 1);
    if (end > size)
        return false;
    while (end % 16 != 0 && end < size && file[qsizetype(end)] == '\0')
        ++end;
    tail = file.mid(qsizetype(tailAt), qsizetype(end - tailAt));
    return true;
}

SaveResult UdfDatabase::SaveAs(const CChannelDb &db, const QString &path, const QByteArray &source)
{
    QByteArray tail;
    if (!ContainerTail(source, tail)) {
        db.Prompt().ShowMessage(CoreMessages::DamagedFile());
        return SaveResult::Failed;
    }
    return SaveUserDatabaseImage(db, path, tail, source.size());
}

SaveResult UdfDatabase::Save(const CChannelDb &db, const QString &path)
{
    QByteArray old;
    QString reason;
    switch (ReadBoundedFile(path, db.Capacity(), old, reason)) {
    case FileReadStatus::CannotOpen:
        db.Prompt().ShowMessage(CoreMessages::CannotOpen(path) + QLatin1Char('\n') + reason);
        return SaveResult::Failed;
    case FileReadStatus::TooLarge:
        db.Prompt().ShowMessage(CoreMessages::TooLargeFile());
        return SaveResult::Failed;
    case FileReadStatus::Read:
        break;
    }
    return SaveAs(db, path, old);
}
