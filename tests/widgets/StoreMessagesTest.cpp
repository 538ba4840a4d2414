#include <gtest/gtest.h>

#include "store/PatientNumber.h"
#include "widgets/StoreMessages.h"

namespace tolvarine {
namespace {

TEST(LookupMessages, AreTheProgramsOwnTexts)
{
    EXPECT_EQ(patientLookupMessage(PatientLookup::NotNumeric), QStringLiteral("数値を入力して下さい"));
    EXPECT_EQ(patientLookupMessage(PatientLookup::Invalid), QStringLiteral("患者番号が不正です"));
    EXPECT_EQ(patientLookupMessage(PatientLookup::NoPictureFolder),
              QStringLiteral("画像フォルダが見つかりません"));
    EXPECT_EQ(patientLookupMessage(PatientLookup::NotFound), QStringLiteral("該当患者の画像はありません"));
    EXPECT_TRUE(patientLookupMessage(PatientLookup::Found).isEmpty());
}

} // namespace
} // namespace tolvarine
