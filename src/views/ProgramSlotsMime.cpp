// The program slots a drag from the channel list carries, as mime data.
#include "views/ProgramSlotsMime.h"

#include <QByteArrayList>
#include <QMimeData>

namespace ProgramSlotsMime {

std::unique_ptr<QMimeData> Encode(const std::vector<int32_t> &slots)
{
    QByteArrayList numbers;
    for (int32_t slot : slots)
        numbers << QByteArray::number(slot);
    auto data = std::make_unique<QMimeData>();
    data->setData(Format(), numbers.join(','));
    return data;
}

std::optional<std::vector<int32_t>> Decode(const QMimeData *data)
{
    if (!data || !data->hasFormat(Format()))
        return std::nullopt;
    const QByteArray bytes = data->data(Format());
    // Another program may offer the format: every entry must be a slot a table can have.
    if (bytes.isEmpty() || bytes.size() > 16 * 1024 * 1024)
        return std::nullopt;
    std::vector<int32_t> slots;
    for (const QByteArray &number : bytes.split(',')) {
        bool ok = false;
        const int value = number.toInt(&ok);
        if (!ok || value < 0)
            return std::nullopt;
        slots.push_back(value);
    }
    return slots;
}

} // namespace ProgramSlotsMime
