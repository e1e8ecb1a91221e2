// The program slots a drag from the channel list carries, as mime data.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QMimeData;

namespace ProgramSlotsMime {

inline QString Format() { return QStringLiteral("application/x-dravel-program-slots"); }

// The slots in their list order, as decimal numbers separated by commas.
std::unique_ptr<QMimeData> Encode(const std::vector<int32_t> &slots);
// The slots of a drag; nullopt when it carries none or its data is not a list of slots.
std::optional<std::vector<int32_t>> Decode(const QMimeData *data);

} // namespace ProgramSlotsMime
