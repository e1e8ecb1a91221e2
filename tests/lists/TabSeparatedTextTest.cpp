// The text Copy puts on the clipboard: a header line and one line per row, cells kept in their columns.
#include "database/TabSeparatedText.h"

#include <gtest/gtest.h>

namespace {

TEST(TabSeparatedTextTest, EveryCellStaysInItsColumnAndLine)
{
    const QString text = TabSeparatedText({"Index", "Service Name", "Service ID"},
                                          {{"  1", "Das\tErste", "28106"}, {"  2", "Two\r\nlines", ""}});
    EXPECT_EQ(text, QStringLiteral("Index\tService Name\tService ID\n  1\tDas Erste\t28106\n  2\tTwo  lines\t\n"));
}

} // namespace
