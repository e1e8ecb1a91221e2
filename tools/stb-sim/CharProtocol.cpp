// Character-level command handling: the box echoes every character, then answers in bytes.
#include "CharProtocol.h"

#include "core/ByteOrder.h"
#include "link/LinkCrc.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kLineGapMs = 80;        // a pause this long starts a new command line
constexpr int kAbandonMs = 2000;      // silence that ends a binary exchange
constexpr uint32_t kBlock = 1024;

std::vector<uint8_t> Be32(uint32_t v)
{
    std::vector<uint8_t> b(4);
    ByteOrder::WriteBe32(b.data(), v);
    return b;
}

bool AllErased(const uint8_t *p, size_t n)
{
    return std::all_of(p, p + n, [](uint8_t b) { return b == 0xFF; });
}

} // namespace

CharProtocol::CharProtocol(StbContext &context) : m_ctx(context), m_proto(context.Options().proto)
{
}

void CharProtocol::Serve()
{
    PtyLine &line = m_ctx.Line();
    std::string text;
    auto lastByteAt = PtyLine::Clock::now();
    while (!m_ctx.Done()) {
        const int b = line.ReadByte(50);
        if (b < 0 || m_ctx.Options().silent || m_ctx.Frozen())
            continue;
        if (PtyLine::Clock::now() - lastByteAt > std::chrono::milliseconds(kLineGapMs))
            text.clear();   // leftovers of an abandoned line (the PC sleeps before every command)
        m_ctx.SendByte(uint8_t(b));
        if (b == '\r') {
            const std::string command = text;
            text.clear();
            Dispatch(command);
        } else if (text.size() < 256) {
            text += char(b);
        } else {
            text.clear();
        }
        lastByteAt = PtyLine::Clock::now();
    }
}

void CharProtocol::AnswerConnectionTest(StbContext &ctx, uint32_t bannerLength, bool complement)
{
    if (bannerLength == 0 || bannerLength > 64)
        return;
    std::vector<uint8_t> banner(bannerLength);
    if (!ctx.Line().ReadExact(banner.data(), banner.size(), 1000 + ctx.Line().TransferMs(bannerLength)))
        return;
    ctx.Faults().ApplyRx(banner);
    if (complement)
        for (auto &b : banner)
            b = uint8_t(~b);
    ctx.Send(banner);
}

void CharProtocol::SendAccept(uint32_t refusal)
{
    m_ctx.SendByte(refusal == 0 ? 'O' : 'E');
}

void CharProtocol::Dispatch(const std::string &text)
{
    const StbCommand command = StbCommand::Parse(text);
    if (command.Word().empty())
        return;
    m_ctx.Log("command \"%s\"", command.Text().c_str());
    const std::string &word = command.Word();
    if (m_ctx.FreezeAt(word) || m_ctx.CountReceived())
        return;
    if (const uint32_t refusal = m_ctx.RefusalFor(word)) {
        m_ctx.Log("refusing \"%s\" (code %u)", word.c_str(), refusal);
        SendAccept(refusal);
        return;
    }
    uint32_t a = 0, b = 0;
    if (word == "comtest" && command.Number(0, a)) {
        AnswerConnectionTest(m_ctx, a, false);
    } else if (word == "version") {
        AnswerVersion();
    } else if (word == "address" && command.Number(0, a)) {
        SendAccept(m_ctx.Sdram().SetAddress(a));
    } else if (word == "move" && command.Number(0, a) && command.Number(1, b)) {
        SendAccept(m_ctx.Sdram().Keep(a, b));
    } else if (word == "transferraw" && command.Number(0, a)) {
        const uint32_t refusal = m_ctx.Sdram().CheckTransfer(a);
        SendAccept(refusal);
        if (refusal == 0)
            ReceiveRawTransfer(a);
    } else if (word == "burn") {
        Burn();
    } else if (word == "dump" && command.ArgCount() == 0) {
        WholeDump();
    } else if (word == "dump" && command.ArgCount() == 2) {
        BlockDump(command);
    } else if (word == "reboot") {
        m_ctx.Reboot();
    } else {
        m_ctx.Log("unknown command");
        m_ctx.SendByte('E');
    }
}

void CharProtocol::AnswerVersion()
{
    const std::vector<uint8_t> payload = m_ctx.Flash().InfoPayload();
    std::vector<uint8_t> answer;
    auto pushBe16 = [&answer](uint32_t v) {
        answer.push_back(uint8_t(v >> 8));
        answer.push_back(uint8_t(v));
    };
    // From 2.1 on the box names its version first (0xB700 + version), then the payload length;
    // older boxes send the length alone.
    if (m_proto >= 0x21)
        pushBe16(0xB700 + m_proto);
    pushBe16(uint32_t(payload.size()));
    answer.insert(answer.end(), payload.begin(), payload.end());
    const auto crc = Be32(LinkCrc(kCrcStart, payload.data(), payload.size()));
    answer.insert(answer.end(), crc.begin(), crc.end());
    m_ctx.Send(answer);
}

void CharProtocol::ReceiveRawTransfer(uint32_t n)
{
    PtyLine &line = m_ctx.Line();
    std::vector<uint8_t> data;
    data.reserve(n);
    int attempts = 0;
    while (data.size() < n && !m_ctx.Done()) {
        const uint32_t len = std::min<uint32_t>(kBlock, n - uint32_t(data.size()));
        std::vector<uint8_t> unit(len + 4);
        const size_t got = line.ReadWithGap(unit.data(), unit.size(), kAbandonMs, 300);
        if (got == 0) {
            m_ctx.Log("transferraw abandoned after %zu of %u bytes", data.size(), n);
            return;
        }
        unit.resize(got);
        if (m_ctx.CountReceived())
            return;
        m_ctx.Faults().ApplyRx(unit);
        ++attempts;
        bool good = unit.size() == len + 4
                 && LinkCrc(kCrcStart, unit.data(), len) == ByteOrder::ReadBe32(unit.data() + len);
        if (attempts <= m_ctx.Options().refuseBlocks)
            good = false;
        if (good) {
            data.insert(data.end(), unit.begin(), unit.begin() + len);
            attempts = 0;
        }
        m_ctx.SendByte(good ? 'O' : 'E');
    }
    if (data.size() < n)
        return;
    const uint32_t refusal = m_ctx.Sdram().Place(data);
    m_ctx.Log("transferraw of %u bytes %s", n, refusal == 0 ? "loaded" : "refused");
}

void CharProtocol::Burn()
{
    if (m_ctx.Sdram().BurnBytes() == 0) {
        m_ctx.Log("nothing to burn");
        m_ctx.SendByte('E');
        return;
    }
    m_ctx.SendByte('O');
    m_ctx.Sdram().Burn([this](uint32_t kilobytes) {
        char report[16];
        std::snprintf(report, sizeof report, "B%04uKB", std::min<uint32_t>(kilobytes, 9999));
        m_ctx.Send(std::vector<uint8_t>(report, report + 7));
    });
    m_ctx.SaveFlash();
    m_ctx.SendByte('F');
}

void CharProtocol::WholeDump()
{
    PtyLine &line = m_ctx.Line();
    const std::vector<uint8_t> &flash = m_ctx.Flash().Bytes();
    m_ctx.Send(Be32(uint32_t(flash.size())));
    const int reply = line.ReadByte(kAbandonMs);
    if (reply != 'O') {
        m_ctx.Log("whole dump not confirmed");
        return;
    }
    for (size_t off = 0; off < flash.size() && !m_ctx.Done(); off += kBlock) {
        const size_t n = std::min<size_t>(kBlock, flash.size() - off);
        m_ctx.Send(std::vector<uint8_t>(flash.begin() + std::ptrdiff_t(off), flash.begin() + std::ptrdiff_t(off + n)));
    }
    m_ctx.Send(Be32(LinkCrc(kCrcStart, flash.data(), flash.size())));
}

bool CharProtocol::SendBlockHeader(uint32_t number, uint32_t n, bool checks)
{
    PtyLine &line = m_ctx.Line();
    for (;;) {
        std::vector<uint8_t> header = Be32(number);
        const auto len = Be32(n);
        header.insert(header.end(), len.begin(), len.end());
        if (checks) {
            // The checks are CRCs over the numbers in little-endian order, sent big-endian.
            uint8_t le[4];
            ByteOrder::WriteLe32(le, number);
            const auto c1 = Be32(LinkCrc(kCrcStart, le, 4));
            ByteOrder::WriteLe32(le, n);
            const auto c2 = Be32(LinkCrc(kCrcStart, le, 4));
            header.insert(header.end(), c1.begin(), c1.end());
            header.insert(header.end(), c2.begin(), c2.end());
        }
        m_ctx.Send(header);
        if (!checks)
            return true;
        const int reply = line.ReadByte(kAbandonMs + 1000);
        if (reply == 'G')
            return true;
        if (reply != 'H')
            return false;
        // A rejected header: the PC sends 'H' at once and again at its next round; both ask
        // for one new header, so the second is absorbed here.
        const int more = line.ReadByte(100);
        if (more >= 0 && more != 'H')
            line.Unread(uint8_t(more));
    }
}

void CharProtocol::BlockDump(const StbCommand &command)
{
    PtyLine &line = m_ctx.Line();
    const std::vector<uint8_t> &flash = m_ctx.Flash().Bytes();
    uint32_t start = 0, length = 0;
    const bool parsed = command.Number(0, start) && command.Number(1, length);
    const bool valid = parsed && start < flash.size() && uint64_t(start) + length <= flash.size();
    // 2.0 boxes always name the total; later ones only when the PC asked for "everything".
    const bool sendTotal = length == 0 || m_proto <= 0x20;
    const bool checks = m_proto >= 0x21;
    if (!valid) {
        m_ctx.Log("dump range refused");
        if (sendTotal)
            m_ctx.Send(Be32(0xFFFFFFFFu));   // a negative total: the PC ends with "Error dump len"
        return;
    }
    const uint32_t total = length != 0 ? length : uint32_t(flash.size()) - start;
    if (sendTotal)
        m_ctx.Send(Be32(total));
    uint32_t block = 0;
    while (uint64_t(block) * kBlock < total && !m_ctx.Done()) {
        const int request = line.ReadByte(kAbandonMs + 1000);
        if (request != 'H') {
            if (request >= 0)
                line.Unread(uint8_t(request));   // the PC has moved on to another command
            m_ctx.Log("block dump abandoned at block %u", block);
            return;
        }
        const uint32_t offset = block * kBlock;
        const uint32_t n = std::min(kBlock, total - offset);
        if (!SendBlockHeader(block, n, checks)) {
            m_ctx.Log("block dump abandoned at header %u", block);
            return;
        }
        const uint8_t *src = flash.data() + start + offset;
        std::vector<uint8_t> body;
        if (AllErased(src, n)) {
            body.assign({'B', 'L', 'A', 'N', 'K', 'P', 'C', 'K'});
        } else {
            body.assign(src, src + n);
        }
        const auto crc = Be32(LinkCrc(kCrcStart, body.data(), body.size()));
        body.insert(body.end(), crc.begin(), crc.end());
        m_ctx.Send(body);
        std::vector<uint8_t> answer(9);
        const bool got = line.ReadExact(answer.data(), answer.size(), kAbandonMs + line.TransferMs(9));
        if (!got)
            continue;   // counts as 'E': the same block goes out at the next 'H'
        m_ctx.Faults().ApplyRx(answer);
        const bool intact = answer.size() == 9
                         && LinkCrc(kCrcStart, answer.data(), 5) == ByteOrder::ReadBe32(answer.data() + 5);
        if (intact && answer[0] == 'O' && ByteOrder::ReadBe32(answer.data() + 1) == block)
            ++block;
    }
    m_ctx.Log("block dump of %u bytes from 0x%X done", total, start);
}
