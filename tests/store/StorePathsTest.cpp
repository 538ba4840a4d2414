#include <optional>

#include <gtest/gtest.h>

#include <QString>

#include "store/StorePaths.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

struct FolderRow {
    const char *pictFolda;
    const char *krNo;
    const char *group;
    const char *patient;
};

class PatientFolders : public ::testing::TestWithParam<FolderRow> {};

TEST_P(PatientFolders, FollowTheJoiningAndGroupRules)
{
    const FolderRow &row = GetParam();
    const QString pict = QString::fromUtf8(row.pictFolda);
    const QString krNo = QString::fromUtf8(row.krNo);
    EXPECT_EQ(groupFolder(pict, krNo), QString::fromUtf8(row.group));
    EXPECT_EQ(patientFolder(pict, krNo), QString::fromUtf8(row.patient));
}

INSTANTIATE_TEST_SUITE_P(
    Store, PatientFolders,
    ::testing::Values(FolderRow{"/D/Pict", "00123", "/D/Pict/001", "/D/Pict/001/00123"},
                      FolderRow{"/D/Pict/", "00123", "/D/Pict/001", "/D/Pict/001/00123"},
                      FolderRow{"/D/Pict", "00007", "/D/Pict/000", "/D/Pict/000/00007"},
                      FolderRow{"/D/Pict", "00099", "/D/Pict/000", "/D/Pict/000/00099"},
                      FolderRow{"/D/Pict", "12000", "/D/Pict/120", "/D/Pict/120/12000"},
                      FolderRow{"/D/Pict", "12099", "/D/Pict/120", "/D/Pict/120/12099"},
                      FolderRow{"/D/Pict", "12100", "/D/Pict/121", "/D/Pict/121/12100"},
                      // a padded blank is kept as typed; such a folder is simply not found
                      FolderRow{"/D/Pict", "00 12", "/D/Pict/00 ", "/D/Pict/00 /00 12"},
                      // nothing outside the picture folder, no unpadded numbers
                      FolderRow{"/D/Pict", "123", "", ""}, FolderRow{"/D/Pict", "123456", "", ""},
                      FolderRow{"/D/Pict", "../..", "", ""}, FolderRow{"/D/Pict", "0/123", "", ""},
                      FolderRow{"", "00123", "", ""}),
    test::namedBy([](const FolderRow &r) {
        return QStringLiteral("%1_in_%2").arg(r.krNo, *r.pictFolda ? r.pictFolda : "noFolder");
    }));

struct PadRow {
    const char *typed;
    std::optional<const char *> padded;
};

class PatientNumberPadding : public ::testing::TestWithParam<PadRow> {};

TEST_P(PatientNumberPadding, PadsByTypedLength)
{
    const PadRow &row = GetParam();
    const std::optional<QString> padded = padPatientNumber(QString::fromUtf8(row.typed));
    ASSERT_EQ(padded.has_value(), row.padded.has_value());
    if (padded) {
        EXPECT_EQ(*padded, QString::fromUtf8(*row.padded));
    }
}

INSTANTIATE_TEST_SUITE_P(Store, PatientNumberPadding,
                         ::testing::Values(PadRow{"7", "00007"}, PadRow{"12", "00012"},
                                           PadRow{"123", "00123"}, PadRow{"1234", "01234"},
                                           PadRow{"00123", "00123"}, PadRow{"12345", "12345"},
                                           PadRow{" 12", "00 12"}, PadRow{"１２３", "00１２３"},
                                           PadRow{"123456", std::nullopt}, PadRow{"", std::nullopt}),
                         test::namedBy([](const PadRow &r) {
                             return test::labelled(r.typed, {{"１２３", "fullWidth123"}});
                         }));

TEST(StorePaths, JoiningInsertsExactlyOneSeparator)
{
    EXPECT_EQ(joinPath("/P", "x.jpg"), "/P/x.jpg");
    EXPECT_EQ(joinPath("/P/", "x.jpg"), "/P/x.jpg");
    EXPECT_EQ(faceFolder("/P/001/00123"), "/P/001/00123/face");
    EXPECT_EQ(faceFolder("/P/001/00123/"), "/P/001/00123/face");
    EXPECT_EQ(nameFilePath("/P/001/00123"), "/P/001/00123/krname.txt");
    EXPECT_EQ(nameFilePath("/P/001/00123/"), "/P/001/00123/krname.txt");
    EXPECT_EQ(blankTemplatePath("/opt/tolvarine"), "/opt/tolvarine/nopic.jpg");
}

TEST(StorePaths, ThumbnailReplacesTheLastFourCharacters)
{
    EXPECT_EQ(thumbnailPath("/P/001/00123/x.jpg"), "/P/001/00123/xsn.cmp");
    EXPECT_EQ(thumbnailPath("/P/001/00123/face/IMG_0012.JPG"), "/P/001/00123/face/IMG_0012sn.cmp");
    EXPECT_EQ(thumbnailPath("/P/20090315-F3.jpg"), "/P/20090315-F3sn.cmp");
    EXPECT_EQ(thumbnailPath(".jpg"), "");
    EXPECT_EQ(thumbnailPath(""), "");
}

} // namespace
