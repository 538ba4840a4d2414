#include <gtest/gtest.h>

#include "platform/TextCodec.h"

using namespace tolvarine;

TEST(TextCodec, Cp932RoundTripsJapanese)
{
    const QString name = QStringLiteral("山田　太郎ｱｲｳ①");
    const auto bytes = encodeCp932(name);
    ASSERT_TRUE(bytes.has_value());
    // 山 in CP932 is 0x8E 0x52; the half-width katakana are single bytes.
    EXPECT_EQ(uchar(bytes->at(0)), 0x8E);
    EXPECT_EQ(uchar(bytes->at(1)), 0x52);
    EXPECT_EQ(bytes->size(), 2 * 5 + 3 + 2);
    EXPECT_EQ(decodeCp932(*bytes).value_or(QString()), name);
}

TEST(TextCodec, Utf8PreferredWhenValidOtherwiseCp932)
{
    const QString name = QStringLiteral("歯科クリニック");
    EXPECT_EQ(decodeUtf8OrCp932(name.toUtf8()).value_or(QString()), name);
    EXPECT_EQ(decodeUtf8OrCp932("\xEF\xBB\xBF" + name.toUtf8()).value_or(QString()), name);
    EXPECT_EQ(decodeUtf8OrCp932(*encodeCp932(name)).value_or(QString()), name);
    EXPECT_FALSE(encodeCp932(QStringLiteral("😀")).has_value());
}

TEST(TextCodec, TruncationCountsCp932BytesAndKeepsCharactersWhole)
{
    const QString wide = QString(40, QChar(0x6B6F)); // 歯, two bytes each
    EXPECT_EQ(cp932ByteLength(wide), 80);
    EXPECT_EQ(truncateToCp932Bytes(wide, 63).size(), 31);
    EXPECT_EQ(truncateToCp932Bytes(QString(70, 'a'), 63).size(), 63);
    EXPECT_EQ(truncateToCp932Bytes(QStringLiteral("ab"), 63), QStringLiteral("ab"));
}
