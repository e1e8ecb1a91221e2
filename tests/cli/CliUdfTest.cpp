// dravel-cli on uploaded user databases: info, dump and convert read a ".udf" and write it back in its form.
#include "CliTestSupport.h"

#include <QFile>
#include <QFileInfo>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

class CliUdf : public CliTest
{
};

} // namespace

TEST_F(CliUdf, AnUploadedUdfReadsLikeAUsdAndConvertsBackInItsForm)
{
    Generate("db.usd", 2, 6, 30);
    const QByteArray container = ReadAll(Path("db.usd"));
    const int area = 0x5FF80; // what an upload of stb-sim's user database gives
    ASSERT_LT(container.size(), area);
    ASSERT_TRUE(WriteAll(Path("up.udf"), container + QByteArray(area - container.size(), char(0xFF))));

    const CliResult info = Run({"info", Path("up.udf")});
    ASSERT_EQ(info.exit, 0) << info.err.toStdString();
    EXPECT_TRUE(info.out.contains("30")) << info.out.toStdString();
    EXPECT_EQ(Dump("up.udf"), Dump("db.usd"));

    // To a .usd: the erased flash is not carried along.
    CliResult r = Run({"convert", Path("up.udf"), Path("edit.usd")});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(ReadAll(Path("edit.usd")), container);

    // Back into the .udf: same size, the container, then 0xFF.
    r = Run({"convert", Path("edit.usd"), Path("up.udf")});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const QByteArray back = ReadAll(Path("up.udf"));
    EXPECT_EQ(back.size(), area);
    EXPECT_EQ(back.left(container.size()), container);
    EXPECT_EQ(back.mid(container.size()), QByteArray(area - container.size(), char(0xFF)));
    r = Run({"convert", Path("up.udf"), Path("copy.udf")});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(ReadAll(Path("copy.udf")), back);

    // A .udf takes its size from somewhere: a new one from a .usd is refused.
    EXPECT_EQ(Run({"convert", Path("edit.usd"), Path("new.udf")}).exit, 2);
    // A database larger than the image does not fit it, and the image stays.
    Generate("big.usd", 4, 40, 3000);
    ASSERT_TRUE(WriteAll(Path("small.udf"), container + QByteArray(64, char(0xFF))));
    r = Run({"convert", Path("big.usd"), Path("small.udf")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(r.err.contains("does not fit")) << r.err.toStdString();
    EXPECT_EQ(ReadAll(Path("small.udf")).size(), container.size() + 64);
}
