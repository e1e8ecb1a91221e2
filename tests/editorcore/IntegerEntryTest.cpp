// The one reading of typed whole numbers that every dialog uses.
#include "core/IntegerEntry.h"

#include <gtest/gtest.h>

TEST(IntegerEntry, SignedDecimalsWithinThirtyTwoBits)
{
    EXPECT_EQ(ParseSignedEntry(QStringLiteral("  -42 ")), -42);
    EXPECT_EQ(ParseSignedEntry(QStringLiteral("+7")), 7);
    EXPECT_EQ(ParseSignedEntry(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(ParseSignedEntry(QStringLiteral("-2147483648")), INT32_MIN);
    for (const char *bad : {"", " ", "+", "0x10", "12a", "1 2", "2147483648", "--1", "1.5", "1e3", "\xd9\xa3"})
        EXPECT_FALSE(ParseSignedEntry(QString::fromUtf8(bad))) << bad;
}

TEST(IntegerEntry, UnsignedDecimalsWithinThirtyTwoBits)
{
    EXPECT_EQ(ParseUnsignedEntry(QStringLiteral(" 4294967295\t")), 4294967295u);
    EXPECT_EQ(ParseUnsignedEntry(QStringLiteral("0")), 0u);
    for (const char *bad : {"", "-1", "+1", "0x10", "4294967296", "+-3", "1e3"})
        EXPECT_FALSE(ParseUnsignedEntry(QString::fromUtf8(bad))) << bad;
}
