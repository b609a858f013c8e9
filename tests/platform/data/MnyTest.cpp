#include "platform/data/Mny.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();

void ExpectMny(const CMny& m, qint64 value, int scale)
{
    EXPECT_TRUE(m.IsValid());
    EXPECT_EQ(m.GetValue(), value);
    EXPECT_EQ(m.GetScale(), scale);
}

void ExpectFailed(int rc, const CMny& result)
{
    EXPECT_EQ(rc, 0);
    EXPECT_FALSE(result.IsValid());
    EXPECT_EQ(result.GetValue(), 0);
}

} // namespace

TEST(Mny, TaxOnAnAmountByRoundingType)
{
    // Tax on 1234 yen at 5 %, 8 % and 10 %, whole yen, truncate / half up / up.
    const struct {
        int percent;
        qint64 expected[3];
    } table[] = {{5, {61, 62, 62}}, {8, {98, 99, 99}}, {10, {123, 123, 124}}};
    for (const auto& row : table) {
        for (int type = 1; type <= 3; ++type) {
            const qint64 expected = row.expected[type - 1];
            SCOPED_TRACE(testing::Message() << row.percent << "% type " << type);
            CMny tax;
            EXPECT_EQ(CMny(1234).Multiply(CMny(row.percent, 2), tax, type, 0), 1);
            ExpectMny(tax, expected, 0);
            // The same through percent / 100.
            EXPECT_EQ(CMny(1234 * row.percent).Divide(CMny(100), tax, type, 0), 1);
            ExpectMny(tax, expected, 0);
            // A return rounds like its positive twin.
            EXPECT_EQ(CMny(-1234).Multiply(CMny(row.percent, 2), tax, type, 0), 1);
            ExpectMny(tax, -expected, 0);
            EXPECT_EQ(CMny(1234).Multiply(CMny(row.percent), tax, type, 0), 1);
            EXPECT_EQ(tax.Divide(CMny(-100), tax, type, 0), 1);
            ExpectMny(tax, -expected, 0);
        }
    }
}

TEST(Mny, RoundingToDigits)
{
    CMny r;
    // 10.005 to two decimals.
    EXPECT_EQ(CMny(10005, 3).Round(r, CMny::kRoundTruncate, 2), 1);
    ExpectMny(r, 1000, 2);
    EXPECT_EQ(CMny(10005, 3).Round(r, CMny::kRoundHalfUp, 2), 1);
    ExpectMny(r, 1001, 2);
    EXPECT_EQ(CMny(-10005, 3).Round(r, CMny::kRoundHalfUp, 2), 1);
    ExpectMny(r, -1001, 2);
    EXPECT_EQ(CMny(-10001, 3).Round(r, CMny::kRoundUp, 2), 1);
    ExpectMny(r, -1001, 2);
    EXPECT_EQ(CMny(-10004, 3).Round(r, CMny::kRoundHalfUp, 2), 1);
    ExpectMny(r, -1000, 2);
    // Rounding to more digits only rescales.
    EXPECT_EQ(CMny(15, 1).Round(r, CMny::kRoundTruncate, 3), 1);
    ExpectMny(r, 1500, 3);

    // 10 / 3 and 2 / 3.
    const qint64 tenThirds[] = {333, 333, 334};
    const qint64 twoThirds[] = {0, 1, 1};
    for (int type = 1; type <= 3; ++type) {
        EXPECT_EQ(CMny(10).Divide(CMny(3), r, type, 2), 1);
        ExpectMny(r, tenThirds[type - 1], 2);
        EXPECT_EQ(CMny(-2).Divide(CMny(3), r, type, 0), 1);
        ExpectMny(r, -twoThirds[type - 1], 0);
    }
    // 2.5 exactly: half up goes away from zero on either side.
    EXPECT_EQ(CMny(-10).Divide(CMny(4), r, CMny::kRoundHalfUp, 0), 1);
    ExpectMny(r, -3, 0);
    // Operands of different scales: 1.5 / 0.25 = 6; 0.003 * 0.5 = 0.0015.
    EXPECT_EQ(CMny(15, 1).Divide(CMny(25, 2), r, CMny::kRoundTruncate, 0), 1);
    ExpectMny(r, 6, 0);
    EXPECT_EQ(CMny(3, 3).Multiply(CMny(5, 1), r, CMny::kRoundHalfUp, 3), 1);
    ExpectMny(r, 2, 3);
    // An unknown rounding type or digit count is a failure.
    ExpectFailed(CMny(1).Multiply(CMny(1), r, 0, 0), r);
    ExpectFailed(CMny(1).Divide(CMny(1), r, 4, 0), r);
    ExpectFailed(CMny(1).Round(r, CMny::kRoundUp, CMny::kMaxScale + 1), r);
    ExpectFailed(CMny(1).Round(r, CMny::kRoundUp, -1), r);
}

TEST(Mny, SumsKeepTheLargerScale)
{
    CMny r;
    EXPECT_EQ(CMny(15, 1).Plus(CMny(25, 2), r), 1);
    ExpectMny(r, 175, 2);
    EXPECT_EQ(CMny(15, 1).Minus(CMny(25, 2), r), 1);
    ExpectMny(r, 125, 2);
    EXPECT_EQ(CMny(-3).Minus(CMny(7, 4), r), 1);
    ExpectMny(r, -30007, 4);
    // The result may be an operand.
    CMny total(100);
    EXPECT_EQ(total.Plus(total, total), 1);
    ExpectMny(total, 200, 0);
    EXPECT_EQ(CMny(kMax).Minus(CMny(kMax), r), 1);
    ExpectMny(r, 0, 0);
}

TEST(Mny, OverflowAndBadOperandsFail)
{
    CMny r(5);
    ExpectFailed(CMny(kMax).Plus(CMny(1), r), r);
    r = CMny(5);
    ExpectFailed(CMny(kMin).Minus(CMny(1), r), r);
    ExpectFailed(CMny(kMax, 0).Plus(CMny(1, 1), r), r); // aligning the scale overflows
    ExpectFailed(CMny(3037000500).Multiply(CMny(3037000500), r, CMny::kRoundTruncate, 0), r);
    ExpectFailed(CMny(kMax).Multiply(CMny(kMax), r, CMny::kRoundTruncate, CMny::kMaxScale), r);
    ExpectFailed(CMny(kMax / 10 + 1).Multiply(CMny(1), r, CMny::kRoundTruncate, 1), r);
    ExpectFailed(CMny(kMin).Multiply(CMny(-1), r, CMny::kRoundTruncate, 0), r);
    ExpectFailed(CMny(kMin).Divide(CMny(-1), r, CMny::kRoundTruncate, 0), r);
    ExpectFailed(CMny(kMax).Divide(CMny(1, 9), r, CMny::kRoundTruncate, 0), r);
    ExpectFailed(CMny(kMax - 1).Round(r, CMny::kRoundUp, 1), r);
    ExpectFailed(CMny(kMax).Rescale(1, r), r);

    // The largest amounts themselves are fine.
    EXPECT_EQ(CMny(kMin).Plus(CMny(0), r), 1);
    ExpectMny(r, kMin, 0);
    EXPECT_EQ(CMny(kMax).Multiply(CMny(1), r, CMny::kRoundHalfUp, 0), 1);
    ExpectMny(r, kMax, 0);
    EXPECT_EQ(CMny(kMax).Divide(CMny(2), r, CMny::kRoundHalfUp, 0), 1);
    ExpectMny(r, kMax / 2 + 1, 0);

    // Division by zero, at any scale.
    ExpectFailed(CMny(1).Divide(CMny(0), r, CMny::kRoundHalfUp, 0), r);
    ExpectFailed(CMny(1).Divide(CMny(0, 4), r, CMny::kRoundHalfUp, 2), r);

    // A failed result stays failed through later steps.
    CMny invalid;
    invalid.SetInvalid();
    ExpectFailed(invalid.Plus(CMny(1), r), r);
    ExpectFailed(CMny(1).Minus(invalid, r), r);
    ExpectFailed(CMny(1).Multiply(invalid, r, CMny::kRoundTruncate, 0), r);
    ExpectFailed(invalid.Divide(CMny(1), r, CMny::kRoundTruncate, 0), r);
    ExpectFailed(invalid.Round(r, CMny::kRoundTruncate, 0), r);

    CMny bad(1, CMny::kMaxScale + 1);
    EXPECT_FALSE(bad.IsValid());
    bad.SetValue(1, -1);
    EXPECT_FALSE(bad.IsValid());
}

TEST(Mny, RescaleKeepsTheAmount)
{
    CMny r;
    EXPECT_EQ(CMny(150, 2).Rescale(1, r), 1);
    ExpectMny(r, 15, 1);
    EXPECT_EQ(CMny(-15, 1).Rescale(4, r), 1);
    ExpectMny(r, -15000, 4);
    ExpectFailed(CMny(155, 2).Rescale(1, r), r);
}

TEST(Mny, ComparesAcrossScales)
{
    EXPECT_EQ(CMny(150, 2), CMny(15, 1));
    EXPECT_EQ(CMny(0, 4), CMny(0));
    EXPECT_NE(CMny(151, 2), CMny(15, 1));
    EXPECT_LT(CMny(-1), CMny(0));
    EXPECT_LT(CMny(1499, 3), CMny(15, 1));
    EXPECT_GT(CMny(1, 9), CMny(0));
    EXPECT_LT(CMny(kMax, 9), CMny(kMax, 0));
    EXPECT_GT(CMny(kMin, 9), CMny(kMin, 0));
    EXPECT_GE(CMny(2), CMny(20000, 4));
    EXPECT_LE(CMny(2), CMny(20000, 4));

    CMny invalid;
    invalid.SetInvalid();
    CMny other;
    other.SetInvalid();
    EXPECT_LT(invalid, CMny(kMin));
    EXPECT_EQ(invalid, other);
    EXPECT_FALSE(invalid.IsZero());
    EXPECT_TRUE(CMny(0, 3).IsZero());

    EXPECT_DOUBLE_EQ(CMny(-12345, 2).ToDouble(), -123.45);
}
