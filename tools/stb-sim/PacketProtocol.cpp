// Packet-form command handling with idempotent answers to resent commands.
#include "PacketProtocol.h"

#include "CharProtocol.h"
#include "LzmaUnpack.h"
#include "core/ByteOrder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

constexpr uint32_t kBlock = 1024;
const std::string kComtest = "comtest ";

bool AllErased(const uint8_t *p, size_t n)
{
    return std::all_of(p, p + n, [](uint8_t b) { return b == 0xFF; });
}

} // namespace

PacketProtocol::PacketProtocol(StbContext &context) : m_ctx(context)
{
}

void PacketProtocol::Serve()
{
    PtyLine &line = m_ctx.Line();
    while (!m_ctx.Done()) {
        const int b = line.ReadByte(50);
        if (b < 0) {
            RepeatBurnEnd();
            continue;
        }
        if (m_ctx.Options().silent || m_ctx.Frozen())
            continue;
        if (b != 'H') {
            HandleTextByte(uint8_t(b));
            continue;
        }
        // Hunt for the rest of the magic; a doubled 'H' in front of it does no harm.
        bool magic = true;
        for (const char expected : {'E', 'A', 'D'}) {
            const int c = line.ReadByte(50 + line.TransferMs(1));
            if (c != expected) {
                if (c >= 0)
                    line.Unread(uint8_t(c));
                magic = false;
                break;
            }
        }
        if (!magic)
            continue;
        std::vector<uint8_t> raw;
        if (!ReceiveAfterMagic(raw))
            continue;
        m_ctx.Faults().ApplyRx(raw);
        SimPacket packet;
        const StbPacketCodec::Result result = StbPacketCodec::Decode(raw, packet);
        if (result != StbPacketCodec::Result::Ok) {
            m_ctx.Log("damaged packet dropped (%d)", int(result));
            continue;
        }
        m_burnEnd.pending = false;
        if (m_ctx.CountReceived())
            continue;
        if (m_ctx.ForeignDue()) {
            // Another PC on the same line: its connection test ends the running exchange, and
            // from now on its answers are what this PC's packets meet.
            Abandon("a foreign exchange took over");
            m_last = LastCommand();
            m_foreignSequence = packet.sequence + 1000;
            Send(StbPacketCodec::MakeStatus(m_foreignSequence, 0, 2, 0));
            continue;
        }
        HandlePacket(packet);
    }
}

void PacketProtocol::HandleTextByte(uint8_t b)
{
    // Only the connection test arrives as text; anything else outside a packet is line noise
    // and is neither echoed nor kept.
    const std::string next = m_text + char(b);
    bool accept = false;
    if (next.size() <= kComtest.size())
        accept = kComtest.compare(0, next.size(), next) == 0;
    else if (b == '\r')
        accept = true;
    else
        accept = std::isdigit(b) && next.size() <= kComtest.size() + 3;
    if (!accept) {
        m_text.clear();
        if (b == kComtest[0]) {
            m_text = next.substr(next.size() - 1);
            m_ctx.SendByte(b);
        }
        return;
    }
    m_ctx.SendByte(b);
    if (b != '\r') {
        m_text = next;
        return;
    }
    const StbCommand command = StbCommand::Parse(m_text);
    m_text.clear();
    uint32_t bannerLength = 0;
    if (!command.Number(0, bannerLength))
        return;
    m_ctx.Log("command \"%s\"", command.Text().c_str());
    // A connection test opens a new session of the PC: nothing from before is replayed.
    Abandon("connection test");
    m_last = LastCommand();
    m_burnEnd.pending = false;
    if (const uint32_t refusal = m_ctx.RefusalFor(command.Word())) {
        m_ctx.Log("refusing \"%s\" (code %u)", command.Word().c_str(), refusal);
        return;
    }
    CharProtocol::AnswerConnectionTest(m_ctx, bannerLength, true);
}

bool PacketProtocol::ReceiveAfterMagic(std::vector<uint8_t> &raw)
{
    PtyLine &line = m_ctx.Line();
    raw.assign({'H', 'E', 'A', 'D'});
    raw.resize(StbPacketCodec::kHeaderSize);
    if (!line.ReadExact(raw.data() + 4, StbPacketCodec::kHeaderSize - 4, 300 + line.TransferMs(15))) {
        m_ctx.Log("packet header incomplete");
        return false;
    }
    uint32_t length = 0;
    if (!StbPacketCodec::HeaderLength(raw.data(), length)) {
        m_ctx.Log("packet header CRC wrong");
        return false;
    }
    if (length > StbPacketCodec::kMaxDataLength) {
        m_ctx.Log("packet announces %u data bytes, refused", length);
        return false;
    }
    raw.resize(StbPacketCodec::kHeaderSize + length + 4);
    if (!line.ReadExact(raw.data() + StbPacketCodec::kHeaderSize, length + 4, int(length) + 404 + line.TransferMs(length + 4))) {
        m_ctx.Log("packet data incomplete");
        return false;
    }
    return true;
}

void PacketProtocol::HandlePacket(const SimPacket &packet)
{
    switch (packet.type) {
    case SimPacket::Command:
        HandleCommand(packet);
        break;
    case SimPacket::Data:
    case SimPacket::Request:
        if (m_transfer.active && packet.sequence == m_transfer.sequence)
            HandleTransferPacket(packet);
        else if (packet.type == SimPacket::Request && m_dump.active && packet.sequence == m_dump.sequence)
            HandleDumpRequest(packet);
        else {
            m_ctx.Log("packet of type %u for no running exchange ignored", packet.type);
            if (m_foreignSequence != 0)
                Send(StbPacketCodec::MakeStatus(m_foreignSequence, 0, 2, 0)); // the other exchange's traffic
        }
        break;
    case SimPacket::Status:
        if (!packet.data.empty() && packet.data[0] == 4)
            Abandon("the PC abandoned the exchange");
        break;
    default:
        m_ctx.Log("packet of unknown type %u ignored", packet.type);
        break;
    }
}

void PacketProtocol::HandleCommand(const SimPacket &packet)
{
    std::string text(packet.data.begin(), packet.data.end());
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == '\0'))
        text.pop_back();
    // A resend (same sequence, retry above 0) is answered again without doing the work twice.
    if (m_last.valid && packet.sequence == m_last.sequence && packet.retry != 0 && text == m_last.text) {
        m_ctx.Log("resent command \"%s\" (retry %u) answered again", text.c_str(), packet.retry);
        for (SimPacket answer : m_last.answers) {
            answer.retry = packet.retry;
            Send(answer);
        }
        return;
    }
    Abandon("a new command arrived");
    m_last = LastCommand();
    m_last.valid = true;
    m_last.sequence = packet.sequence;
    m_last.text = text;
    const StbCommand command = StbCommand::Parse(text);
    m_ctx.Log("command \"%s\" (sequence %u)", command.Text().c_str(), packet.sequence);
    if (m_ctx.FreezeAt(command.Word()))
        return;
    if (const uint32_t refusal = m_ctx.RefusalFor(command.Word())) {
        m_ctx.Log("refusing \"%s\" (code %u)", command.Word().c_str(), refusal);
        SendStatus(packet, 1, refusal);
        return;
    }
    Execute(packet, command);
}

void PacketProtocol::Execute(const SimPacket &packet, const StbCommand &command)
{
    const std::string &word = command.Word();
    uint32_t a = 0, b = 0;
    if (word == "version" && command.ArgCount() == 0) {
        uint8_t version[4];
        ByteOrder::WriteBe32(version, m_ctx.Options().proto);
        Answer(packet, StbPacketCodec::MakeData(0, 0, 0, version, 4));
    } else if (word == "chunk" && command.ArgCount() == 0) {
        const std::vector<uint8_t> payload = m_ctx.Flash().InfoPayload();
        Answer(packet, StbPacketCodec::MakeData(0, 0, 0, payload.data(), payload.size()));
    } else if (word == "address" && command.ArgCount() == 1 && command.Number(0, a)) {
        const uint32_t refusal = m_ctx.Sdram().SetAddress(a);
        SendStatus(packet, refusal ? 1 : 0, refusal);
    } else if (word == "move" && command.ArgCount() == 2 && command.Number(0, a) && command.Number(1, b)) {
        const uint32_t refusal = m_ctx.Sdram().Keep(a, b);
        SendStatus(packet, refusal ? 1 : 0, refusal);
    } else if (word == "transfer") {
        StartTransfer(packet, command);
    } else if (word == "burn" && command.ArgCount() == 0) {
        RunBurn(packet);
    } else if (word == "dump") {
        StartDump(packet, command);
    } else if (word == "reboot" && command.ArgCount() == 0) {
        SendStatus(packet, 0, 0);
        m_last = LastCommand();
        m_ctx.Reboot();
    } else {
        m_ctx.Log("unknown command refused");
        SendStatus(packet, 1, StbRefusal::kBadParameter);
    }
}

void PacketProtocol::StartTransfer(const SimPacket &packet, const StbCommand &command)
{
    uint32_t plain = 0, wire = 0;
    const bool compressed = command.ArgCount() == 3 && command.Arg(0) == "-z";
    bool parsed = false;
    if (compressed)
        parsed = command.Number(1, plain) && command.Number(2, wire) && wire >= 13 && wire <= plain;
    else if (command.ArgCount() == 1 && command.Number(0, plain)) {
        wire = plain;
        parsed = true;
    }
    if (!parsed) {
        SendStatus(packet, 1, StbRefusal::kBadParameter);
        return;
    }
    if (const uint32_t refusal = m_ctx.Sdram().CheckTransfer(plain)) {
        SendStatus(packet, 1, refusal);
        return;
    }
    m_transfer = Transfer();
    m_transfer.active = true;
    m_transfer.sequence = packet.sequence;
    m_transfer.plainSize = plain;
    m_transfer.wireSize = wire;
    m_transfer.compressed = compressed;
    m_transfer.data.reserve(wire);
    SendStatus(packet, 0, 0);
    if (wire == 0)
        FinishTransfer();
}

void PacketProtocol::HandleTransferPacket(const SimPacket &packet)
{
    if (packet.data.size() < 4)
        return;
    Transfer &t = m_transfer;
    const uint32_t number = ByteOrder::ReadBe32(packet.data.data());
    if (packet.type == SimPacket::Data && !t.complete && number == t.expected) {
        const size_t payload = packet.data.size() - 4;
        const size_t remaining = t.wireSize - t.data.size();
        if (payload == 0 || payload > remaining) {
            SendStatus(packet, 0, t.expected - 1, false);
            return;
        }
        t.data.insert(t.data.end(), packet.data.begin() + 4, packet.data.end());
        ++t.expected;
        if (t.data.size() == t.wireSize)
            FinishTransfer();
        if (t.failure != 0)
            SendStatus(packet, 1, t.failure, false);
        else
            SendStatus(packet, 0, number, false);
        return;
    }
    if (t.failure != 0) {
        SendStatus(packet, 1, t.failure, false);
        return;
    }
    // A block the box already holds (its acknowledgement was lost) is acknowledged again;
    // for a block it does not hold it names the last one it has, so the PC sends it again.
    const uint32_t held = number < t.expected ? number : t.expected - 1;
    m_ctx.Log("%s %u answered with %u", packet.type == SimPacket::Request ? "request for block" : "repeated block",
              number, held);
    SendStatus(packet, 0, held, false);
}

void PacketProtocol::FinishTransfer()
{
    Transfer &t = m_transfer;
    t.complete = true;
    std::vector<uint8_t> plain;
    if (t.compressed) {
        if (!LzmaUnpack::Decode(t.data.data(), t.data.size(), t.plainSize, plain)) {
            m_ctx.Log("compressed transfer could not be unpacked");
            t.failure = StbRefusal::kBadParameter;
            return;
        }
    } else {
        plain.swap(t.data);
    }
    t.failure = m_ctx.Sdram().Place(plain);
    m_ctx.Log("transfer of %u bytes (%u on the line) %s", t.plainSize, t.wireSize, t.failure ? "refused" : "loaded");
    std::vector<uint8_t>().swap(t.data);
}

void PacketProtocol::RunBurn(const SimPacket &packet)
{
    if (m_ctx.Sdram().BurnBytes() == 0) {
        SendStatus(packet, 1, StbRefusal::kNothingToBurn);
        return;
    }
    SendStatus(packet, 0, 0);
    uint32_t report = 0;
    m_ctx.Sdram().Burn([&](uint32_t kilobytes) {
        char text[8];
        std::snprintf(text, sizeof text, "B%04u", std::min<uint32_t>(kilobytes, 9999));
        SimPacket progress = StbPacketCodec::MakeData(packet.sequence, packet.retry, ++report,
                                                   reinterpret_cast<const uint8_t *>(text), 5);
        Send(progress);
    });
    m_ctx.SaveFlash();
    SendStatus(packet, 3, 0);
    m_burnEnd.pending = true;
    m_burnEnd.packet = m_last.answers.back();
    m_burnEnd.repeats = 0;
    m_burnEnd.sentAt = PtyLine::Clock::now();
    m_ctx.Log("burn finished");
}

void PacketProtocol::RepeatBurnEnd()
{
    constexpr auto kInterval = std::chrono::milliseconds(1000);
    constexpr int kMaxRepeats = 5;
    if (!m_burnEnd.pending || PtyLine::Clock::now() - m_burnEnd.sentAt < kInterval)
        return;
    Send(m_burnEnd.packet);
    m_burnEnd.sentAt = PtyLine::Clock::now();
    if (++m_burnEnd.repeats >= kMaxRepeats)
        m_burnEnd.pending = false;
}

void PacketProtocol::StartDump(const SimPacket &packet, const StbCommand &command)
{
    const uint32_t flashSize = m_ctx.Flash().Size();
    uint32_t start = 0, length = 0;
    if (command.ArgCount() != 2 || !command.Number(0, start) || !command.Number(1, length)
        || start >= flashSize || uint64_t(start) + length > flashSize) {
        SendStatus(packet, 1, StbRefusal::kBadParameter);
        return;
    }
    m_dump = Dump();
    m_dump.active = true;
    m_dump.sequence = packet.sequence;
    m_dump.start = start;
    m_dump.total = length != 0 ? length : flashSize - start;
    SendStatus(packet, 0, 0);
}

void PacketProtocol::HandleDumpRequest(const SimPacket &packet)
{
    if (packet.data.size() < 4)
        return;
    const uint32_t number = ByteOrder::ReadBe32(packet.data.data());
    if (number == 0) {
        uint8_t total[4];
        ByteOrder::WriteBe32(total, m_dump.total);
        Send(StbPacketCodec::MakeData(packet.sequence, packet.retry, 0, total, 4));
        return;
    }
    const uint64_t offset = uint64_t(number - 1) * kBlock;
    if (offset >= m_dump.total) {
        SendStatus(packet, 3, 0, false);
        return;
    }
    const size_t n = size_t(std::min<uint64_t>(kBlock, m_dump.total - offset));
    const uint8_t *src = m_ctx.Flash().Bytes().data() + m_dump.start + offset;
    Send(StbPacketCodec::MakeData(packet.sequence, packet.retry, number, src, n), AllErased(src, n));
}

void PacketProtocol::Abandon(const char *why)
{
    if (m_transfer.active && !m_transfer.complete)
        m_ctx.Log("transfer abandoned: %s", why);
    if (m_dump.active)
        m_ctx.Log("dump ended: %s", why);
    m_transfer = Transfer();
    m_dump = Dump();
}

void PacketProtocol::Answer(const SimPacket &to, SimPacket answer, bool record)
{
    answer.sequence = to.sequence;
    answer.retry = to.retry;
    Send(answer);
    if (record)
        m_last.answers.push_back(answer);
}

void PacketProtocol::SendStatus(const SimPacket &to, uint8_t status, uint32_t code, bool record)
{
    Answer(to, StbPacketCodec::MakeStatus(to.sequence, to.retry, status, code), record);
}

void PacketProtocol::Send(const SimPacket &packet, bool blank)
{
    m_ctx.Send(StbPacketCodec::Encode(packet, blank));
}
