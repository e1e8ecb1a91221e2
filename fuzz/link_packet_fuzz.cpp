// Fuzzes packet reception: the bytes are a line full of packets, garbage and fragments.
#include "link/PacketCodec.h"
#include "link/StbInfo.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    size_t offset = 0;
    while (offset < size) {
        LinkPacket packet;
        size_t consumed = 0;
        int status = PacketCodec::DecodeBuffer(data + offset, size - offset, packet, consumed);
        if (status == 0) {
            // What a received version answer goes through next.
            if (packet.type == kPacketData && packet.length >= 4) {
                StbInfo info;
                ParseStbInfo(packet.data.data() + 4, packet.length - 4, info);
            }
            volatile uint32_t sink = packet.PacketNumber() ^ packet.StatusCode();
            (void)sink;
        }
        if (consumed == 0)
            break;
        offset += consumed;
    }
    return 0;
}
