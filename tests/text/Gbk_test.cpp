#include "text/Gbk.h"
#include <gtest/gtest.h>

namespace {

TEST(Gbk, ChineseRoundTripAsCodePage936)
{
    const QString text = QString::fromUtf8("声速剖面 SV-1 €");
    const QByteArray bytes = toGbk(text);
    EXPECT_EQ(bytes, QByteArray("\xC9\xF9\xCB\xD9\xC6\xCA\xC3\xE6 SV-1 \x80"));
    bool ok = false;
    EXPECT_EQ(fromGbk(bytes, &ok), text);
    EXPECT_TRUE(ok);
}

TEST(Gbk, InvalidBytesAreReplacedAndTheRestDecoded)
{
    struct Case { QByteArray bytes; const char* utf8; };
    const Case cases[] = {
        {QByteArray("a\xFF" "b"), "a\xEF\xBF\xBD" "b"},                    // 0xFF is never GBK
        {QByteArray("\xC9=1"), "\xEF\xBF\xBD=1"},                          // lead byte, ASCII trail
        {QByteArray("x\xC9"), "x\xEF\xBF\xBD"},                            // cut off at the end
        {QByteArray("\xD6\xD0\xFF\xD6\xD0"), "\xE4\xB8\xAD\xEF\xBF\xBD\xE4\xB8\xAD"},
    };
    for (const auto& c : cases) {
        bool ok = true;
        EXPECT_EQ(fromGbk(c.bytes, &ok), QString::fromUtf8(c.utf8)) << c.bytes.toHex().constData();
        EXPECT_FALSE(ok);
    }
}

TEST(Gbk, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(toGbk(QString::fromUtf8("a\xF0\x9F\x98\x80z\xE2\x82\xAC")), QByteArray("a?z\x80"));
    EXPECT_EQ(toGbk(QString()), QByteArray());
    EXPECT_EQ(fromGbk(QByteArray()), QString());
}

TEST(Gbk, LargeBinaryGarbageDecodesWithoutFailing)
{
    QByteArray junk(1 << 20, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((unsigned(i) * 7919u + 13u) & 0xFFu);
    bool ok = true;
    EXPECT_FALSE(fromGbk(junk, &ok).isEmpty());
    EXPECT_FALSE(ok);
}

}  // namespace
