// Fault injection of the simulator: the same seed gives the same damage, received damage is dropped.
#include "SimClient.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace {

constexpr size_t kVersionAnswerSize = 19 + 8 + 4;

// Sends `count` version queries and returns the raw bytes of every answer.
std::vector<Bytes> RawAnswers(const std::vector<std::string> &args, int count)
{
    SimProcess sim;
    if (!sim.Start(args))
        return {};
    std::vector<Bytes> answers;
    for (int i = 1; i <= count; ++i) {
        sim.SendCommand(uint32_t(i), "version\r");
        answers.push_back(sim.Read(kVersionAnswerSize, 1000));
    }
    return answers;
}

bool Intact(const Bytes &raw)
{
    return raw.size() == kVersionAnswerSize && Crc(raw.data() + 4, 11) == Be32(raw.data() + 15)
        && Crc(raw.data() + 19, 8) == Be32(raw.data() + 27);
}

} // namespace

TEST(StbSimFaults, SameSeedDamagesTheSameAnswers)
{
    const std::vector<std::string> args{"--proto", "0x30", "--corrupt-rate", "0.4", "--seed", "42"};
    const auto first = RawAnswers(args, 30);
    const auto second = RawAnswers(args, 30);
    ASSERT_EQ(first.size(), 30u);
    EXPECT_EQ(first, second);
    const auto damaged = std::count_if(first.begin(), first.end(), [](const Bytes &b) { return !Intact(b); });
    EXPECT_GT(damaged, 3);
    EXPECT_LT(damaged, 27);

    auto otherArgs = args;
    otherArgs.back() = "43";
    EXPECT_NE(RawAnswers(otherArgs, 30), first);
}

TEST(StbSimFaults, LostBytesShortenTheAnswer)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x30", "--drop-rate", "1"}));
    sim.SendCommand(1, "version\r");
    EXPECT_EQ(sim.ReadUntilQuiet(200).size(), kVersionAnswerSize - 1);
}

TEST(StbSimFaults, DamagedCommandsAreNotAnswered)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x30", "--rx-corrupt-rate", "1"}));
    sim.SendCommand(1, "version\r");
    EXPECT_TRUE(sim.Read(1, 300).empty());
}

TEST(StbSimFaults, DelayedAnswerArrivesLate)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x30", "--delay-rate", "1", "--delay-ms", "400"}));
    sim.SendCommand(1, "version\r");
    EXPECT_TRUE(sim.Read(1, 200).empty());
    EXPECT_EQ(sim.Read(kVersionAnswerSize, 1000).size(), kVersionAnswerSize);
}
