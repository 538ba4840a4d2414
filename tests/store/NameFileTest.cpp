#include <optional>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/FileSystem.h"
#include "store/NameFile.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

// 山田太郎 in CP932, as the original platform writes it.
const QByteArray kYamadaCp932("\x8E\x52\x93\x63\x91\xBE\x98\x59");
const QByteArray kBom("\xEF\xBB\xBF");

QString yamada() { return QString::fromUtf8("山田太郎"); }

QByteArray readBytes(const QString &path)
{
    QByteArray bytes;
    EXPECT_TRUE(readWholeFile(path, bytes, 1 << 20));
    return bytes;
}

struct FieldRow {
    const char *text;
    const char *field;
};

class NameField : public ::testing::TestWithParam<FieldRow> {};

TEST_P(NameField, FirstFieldOfFirstLine)
{
    const FieldRow &row = GetParam();
    EXPECT_EQ(firstNameField(QString::fromUtf8(row.text)), QString::fromUtf8(row.field));
}

INSTANTIATE_TEST_SUITE_P(
    Store, NameField,
    ::testing::Values(FieldRow{"山田太郎\r\n", "山田太郎"}, FieldRow{"  山田 太郎 \t\r\n", "山田 太郎"},
                      FieldRow{"山田,太郎\r\n", "山田"}, FieldRow{"\"山田,太郎\"\r\n", "山田,太郎"},
                      FieldRow{"  \" a, b \" , c", " a, b "}, FieldRow{"\"a\"b,c", "a"},
                      FieldRow{"\"open, never closed", "open, never closed"}, FieldRow{"\"\",x", ""},
                      FieldRow{",x", ""}, FieldRow{"", ""}, FieldRow{"first\nsecond", "first"},
                      FieldRow{"first\rsecond", "first"}, FieldRow{"\r\nsecond", ""},
                      FieldRow{"a\"b\"c", "a\"b\"c"}, FieldRow{"　全角　", "　全角　"}),
    test::namedBy([](const FieldRow &r) {
        return QString::fromUtf8(r.text)
            .replace(QStringLiteral("山田"), QStringLiteral("Yamada"))
            .replace(QStringLiteral("太郎"), QStringLiteral("Taro"))
            .replace(QStringLiteral("全角"), QStringLiteral("kanji"))
            .replace(QChar(0x3000), QStringLiteral("_ideographicSpace_"));
    }));

TEST(NameFile, ReadsCp932AndUtf8)
{
    test::Sandbox box;
    box.write("cp/krname.txt", kYamadaCp932 + "\r\n");
    box.write("u8/krname.txt", QByteArray("  ") + yamada().toUtf8() + "  \r\n");
    box.write("bom/krname.txt", kBom + yamada().toUtf8() + "\r\n");
    box.write("kana/krname.txt", "\xD4\xCF\xC0\xDE\r\n"); // ﾔﾏﾀﾞ
    // a later line that is neither encoding does not spoil the name
    box.write("tail/krname.txt", kYamadaCp932 + "\r\n\x80\xFD\r\n");
    EXPECT_EQ(readPatientName(box.file("cp/krname.txt")), yamada());
    EXPECT_EQ(readPatientName(box.file("u8/krname.txt")), yamada());
    EXPECT_EQ(readPatientName(box.file("bom/krname.txt")), yamada());
    EXPECT_EQ(readPatientName(box.file("kana/krname.txt")), QString::fromUtf8("ﾔﾏﾀﾞ"));
    EXPECT_EQ(readPatientName(box.file("tail/krname.txt")), yamada());
}

TEST(NameFile, QuotedFieldKeepsItsComma)
{
    test::Sandbox box;
    box.write("krname.txt", "\"" + yamada().toUtf8() + ", Jr.\",\"other\"\r\n");
    EXPECT_EQ(readPatientName(box.file("krname.txt")), yamada() + ", Jr.");
}

TEST(NameFile, MissingFileGivesEmptyName)
{
    test::Sandbox box;
    const std::optional<QString> name = readPatientName(box.file("krname.txt"));
    ASSERT_TRUE(name.has_value());
    EXPECT_TRUE(name->isEmpty());
    box.write("empty/krname.txt", "");
    EXPECT_EQ(readPatientName(box.file("empty/krname.txt")), QString());
}

TEST(NameFile, NameFileCopiedInUpperCaseIsFound)
{
    test::Sandbox box;
    box.write("KRNAME.TXT", kYamadaCp932 + "\r\n");
    EXPECT_EQ(readPatientName(box.file("krname.txt")), yamada());
}

TEST(NameFile, UnreadableFileGivesNothing)
{
    test::Sandbox box;
    box.mkdir("dir/krname.txt");
    EXPECT_EQ(readPatientName(box.file("dir/krname.txt")), std::nullopt);

    box.write("bad/krname.txt", "\x80\x81\x20\r\n");
    EXPECT_EQ(readPatientName(box.file("bad/krname.txt")), std::nullopt);

    box.write("huge/krname.txt", QByteArray(2 * 1024 * 1024, 'a'));
    EXPECT_EQ(readPatientName(box.file("huge/krname.txt")), std::nullopt);
}

TEST(NameFile, FileWithoutReadPermissionGivesNothing)
{
    test::Sandbox box;
    const QString path = box.write("krname.txt", kYamadaCp932 + "\r\n");
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    QFile probe(path);
    const bool readable = probe.open(QIODevice::ReadOnly);
    probe.close();
    if (!readable) {
        EXPECT_EQ(readPatientName(path), std::nullopt);
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (readable)
        GTEST_SKIP() << "running with privileges that ignore read permissions";
}

struct EncodeRow {
    const char *name;
    QByteArray bytes;
};

class NameFileBytes : public ::testing::TestWithParam<EncodeRow> {};

TEST_P(NameFileBytes, Cp932UnlessItWouldNotReadBack)
{
    const EncodeRow &row = GetParam();
    EXPECT_EQ(encodePatientName(QString::fromUtf8(row.name)).toHex(' '), row.bytes.toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(Store, NameFileBytes,
                         ::testing::Values(EncodeRow{"山田太郎", kYamadaCp932 + "\r\n"},
                                           EncodeRow{"ﾔﾏﾀﾞ ﾀﾛｳ",
                                                     QByteArray("\xD4\xCF\xC0\xDE\x20\xC0\xDB\xB3\r\n")},
                                           EncodeRow{"Smith, John", QByteArray("\"Smith, John\"\r\n")},
                                           // no CP932 character
                                           EncodeRow{"😀", kBom + "\xF0\x9F\x98\x80\r\n"},
                                           // WAVE DASH comes back from CP932 as FULLWIDTH TILDE
                                           EncodeRow{"〜", kBom + "\xE3\x80\x9C\r\n"},
                                           // ﾂｱ is C2 B1 in CP932, which is valid UTF-8 for "±"
                                           EncodeRow{"ﾂｱ", kBom + "\xEF\xBE\x82\xEF\xBD\xB1\r\n"}),
                         test::namedBy([](const EncodeRow &r) {
                             return test::labelled(r.name, {{"山田太郎", "kanji"},
                                                            {"ﾔﾏﾀﾞ ﾀﾛｳ", "halfWidthKana"},
                                                            {"😀", "emoji"},
                                                            {"〜", "waveDash"},
                                                            {"ﾂｱ", "kanaThatReadsAsUtf8"}});
                         }));

class NameFileRoundTrip : public ::testing::TestWithParam<const char *> {};

TEST_P(NameFileRoundTrip, WrittenNameReadsBackUnchanged)
{
    test::Sandbox box;
    const QString path = box.file("krname.txt");
    const QString name = QString::fromUtf8(GetParam());
    ASSERT_TRUE(writePatientName(path, name).ok());
    EXPECT_EQ(readPatientName(path), name);
}

INSTANTIATE_TEST_SUITE_P(Store, NameFileRoundTrip,
                         ::testing::Values("山田太郎", "ﾔﾏﾀﾞ ﾀﾛｳ", "Smith, John", "😀花子", "〜", "ﾂｱ", "髙橋",
                                           "①"),
                         test::namedBy([](const char *name) {
                             return test::labelled(name, {{"山田太郎", "kanji"},
                                                          {"ﾔﾏﾀﾞ ﾀﾛｳ", "halfWidthKana"},
                                                          {"😀花子", "emojiAndKanji"},
                                                          {"〜", "waveDash"},
                                                          {"ﾂｱ", "kanaThatReadsAsUtf8"},
                                                          {"髙橋", "ibmExtensionKanji"},
                                                          {"①", "circledDigit"}});
                         }));

TEST(NameFile, WriteGivesCp932WithCrLf)
{
    test::Sandbox box;
    const QString path = box.file("krname.txt");
    box.write("krname.txt", "old name, longer than the new one\r\n");
    ASSERT_TRUE(writePatientName(path, yamada()).ok());
    EXPECT_EQ(readBytes(path), kYamadaCp932 + "\r\n");
}

TEST(NameFile, WriteGoesIntoTheExistingFileWhateverItsCase)
{
    test::Sandbox box;
    box.write("p/KRNAME.TXT", "old\r\n");
    ASSERT_TRUE(writePatientName(box.file("p/krname.txt"), yamada()).ok());
    EXPECT_EQ(QDir(box.file("p")).entryList(QDir::Files), QStringList{"KRNAME.TXT"});
    EXPECT_EQ(readBytes(box.file("p/KRNAME.TXT")), kYamadaCp932 + "\r\n");
}

TEST(NameFile, ReadOnlyFileIsNotWritten)
{
    test::Sandbox box;
    const QString path = box.write("krname.txt", kYamadaCp932 + "\r\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    const Outcome outcome = writePatientName(path, QStringLiteral("New Name"));
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.status, Status::ReadOnly);
    EXPECT_EQ(readBytes(path), kYamadaCp932 + "\r\n");
    EXPECT_EQ(QFileInfo(path).permissions() & QFileDevice::WriteOwner, 0);
}

TEST(NameFile, EmptyNameWritesNothing)
{
    test::Sandbox box;
    EXPECT_FALSE(writePatientName(box.file("krname.txt"), QString()).ok());
    EXPECT_FALSE(QFileInfo::exists(box.file("krname.txt")));
    const QString path = box.write("p/krname.txt", kYamadaCp932 + "\r\n");
    EXPECT_FALSE(writePatientName(path, QString()).ok());
    EXPECT_EQ(readBytes(path), kYamadaCp932 + "\r\n");
}

TEST(NameFile, WriteIntoMissingFolderFails)
{
    test::Sandbox box;
    EXPECT_FALSE(writePatientName(box.file("nothere/krname.txt"), yamada()).ok());
    EXPECT_FALSE(QFileInfo::exists(box.file("nothere")));
}

} // namespace
