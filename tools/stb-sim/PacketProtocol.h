// The packet generation (0x30): every exchange after the connection test travels in packets.
#pragma once

#include "StbPacketCodec.h"
#include "StbCommand.h"
#include "StbContext.h"

#include <string>
#include <vector>

class PacketProtocol {
public:
    explicit PacketProtocol(StbContext &context);

    // Serves the line until the box is stopped or asked to end after a reboot.
    void Serve();

private:
    struct LastCommand {
        bool valid = false;
        uint32_t sequence = 0;
        std::string text;
        std::vector<SimPacket> answers;   // replayed when the PC sends the command again
    };
    struct Transfer {
        bool active = false;
        bool complete = false;
        uint32_t sequence = 0;
        uint32_t plainSize = 0;      // bytes that end up in SDRAM
        uint32_t wireSize = 0;       // bytes on the line (compressed or plain)
        bool compressed = false;
        uint32_t expected = 1;       // next packet number
        uint32_t failure = 0;        // refusal code once the data could not be used
        std::vector<uint8_t> data;
    };
    struct Dump {
        bool active = false;
        uint32_t sequence = 0;
        uint32_t start = 0;
        uint32_t total = 0;
    };

    void HandleTextByte(uint8_t b);
    bool ReceiveAfterMagic(std::vector<uint8_t> &raw);
    void HandlePacket(const SimPacket &packet);
    void HandleCommand(const SimPacket &packet);
    void Execute(const SimPacket &packet, const StbCommand &command);
    void StartTransfer(const SimPacket &packet, const StbCommand &command);
    void HandleTransferPacket(const SimPacket &packet);
    void FinishTransfer();
    void RunBurn(const SimPacket &packet);
    void StartDump(const SimPacket &packet, const StbCommand &command);
    void HandleDumpRequest(const SimPacket &packet);
    void Abandon(const char *why);
    void RepeatBurnEnd();

    // Sends an answer to the command in `to` and records it for replays.
    void Answer(const SimPacket &to, SimPacket answer, bool record = true);
    void SendStatus(const SimPacket &to, uint8_t status, uint32_t code, bool record = true);
    void Send(const SimPacket &packet, bool blank = false);

    StbContext &m_ctx;
    std::string m_text;   // a character-level line (only the connection test comes that way)
    LastCommand m_last;
    uint32_t m_foreignSequence = 0; // the exchange of another PC, once --foreign-after struck
    Transfer m_transfer;
    Dump m_dump;
    // The end of a burn is repeated while the PC stays silent, so that one lost report
    // does not leave it waiting out all its report time-outs.
    struct BurnEnd {
        bool pending = false;
        SimPacket packet;
        int repeats = 0;
        PtyLine::Clock::time_point sentAt{};
    } m_burnEnd;
};
