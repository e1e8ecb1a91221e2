// The older generations (0x10, 0x20, 0x21..0x2F): echoed text commands, character-level answers.
#pragma once

#include "StbCommand.h"
#include "StbContext.h"

#include <string>

class CharProtocol {
public:
    explicit CharProtocol(StbContext &context);

    // Serves the line until the box is stopped or asked to end after a reboot.
    void Serve();

    // Connection test: reads the banner of bannerLength bytes and answers it unchanged or,
    // for the packet generation, with every byte complemented.
    static void AnswerConnectionTest(StbContext &context, uint32_t bannerLength, bool complement);

private:
    void Dispatch(const std::string &text);
    void AnswerVersion();
    void ReceiveRawTransfer(uint32_t n);
    void Burn();
    void WholeDump();
    void BlockDump(const StbCommand &command);
    bool SendBlockHeader(uint32_t number, uint32_t n, bool checks);
    void SendAccept(uint32_t refusal);

    StbContext &m_ctx;
    uint32_t m_proto;
};
