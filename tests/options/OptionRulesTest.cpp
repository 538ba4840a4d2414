#include <optional>

#include <gtest/gtest.h>

#include "options/OptionRules.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

struct OrderCase {
    const char *text;
    int positions;
    QValidator::State state;
};

class TypedOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(TypedOrder, HoldsPositionDigitsEachOnce)
{
    const OrderCase &c = GetParam();
    OrderValidator validator(c.positions, nullptr);
    QString text = QString::fromUtf8(c.text);
    int pos = int(text.size());
    EXPECT_EQ(validator.validate(text, pos), c.state);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedOrder,
    ::testing::Values(OrderCase{"", 5, QValidator::Intermediate},
                      OrderCase{"301", 5, QValidator::Intermediate},
                      OrderCase{"43210", 5, QValidator::Acceptable},
                      OrderCase{"4621305", 7, QValidator::Acceptable},
                      OrderCase{"0012", 5, QValidator::Invalid}, OrderCase{"015", 5, QValidator::Invalid},
                      OrderCase{"012345", 5, QValidator::Invalid}, OrderCase{"01a", 5, QValidator::Invalid},
                      OrderCase{"0 1", 5, QValidator::Invalid}, OrderCase{"０１", 5, QValidator::Invalid},
                      OrderCase{"-1", 5, QValidator::Invalid}),
    test::namedBy([](const OrderCase &c) {
        return QStringLiteral("%1_of_%2").arg(c.text).arg(c.positions);
    }));

struct TwipsCase {
    const char *text;
    std::optional<int32_t> width;
};

class TypedViewSize : public ::testing::TestWithParam<TwipsCase> {};

TEST_P(TypedViewSize, IsAWholePositiveNumberOfTwips)
{
    const TwipsCase &c = GetParam();
    EXPECT_EQ(wholeTwips(QString::fromUtf8(c.text)), c.width);
}

INSTANTIATE_TEST_SUITE_P(Texts, TypedViewSize,
                         ::testing::Values(TwipsCase{"8000", 8000}, TwipsCase{" 9000 ", 9000},
                                           TwipsCase{"1", 1}, TwipsCase{"2147483647", 2147483647},
                                           TwipsCase{"2147483648", std::nullopt},
                                           TwipsCase{"99999999999", std::nullopt},
                                           TwipsCase{"0", std::nullopt}, TwipsCase{"-5", std::nullopt},
                                           TwipsCase{"+5", std::nullopt}, TwipsCase{"12.5", std::nullopt},
                                           TwipsCase{"1e3", std::nullopt},
                                           TwipsCase{"8000twip", std::nullopt}, TwipsCase{"", std::nullopt},
                                           TwipsCase{"９０００", std::nullopt}),
                         test::namedBy([](const TwipsCase &c) { return c.text; }));

} // namespace
} // namespace tolvarine
