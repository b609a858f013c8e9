#include "platform/data/Mny.h"

#include <limits>

// Intermediates are 128-bit: two 64-bit values times a power of ten up to
// 10^18 stay far below 2^127, so every step is exact and overflow is only
// checked once, when the answer must fit 64 bits again.
namespace
{

using Wide = __int128;

constexpr Wide kMax = std::numeric_limits<qint64>::max();
constexpr Wide kMin = std::numeric_limits<qint64>::min();

Wide Pow10(int n)
{
    Wide p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

bool IsRoundType(int type)
{
    return type == CMny::kRoundTruncate || type == CMny::kRoundHalfUp || type == CMny::kRoundUp;
}

bool IsScale(int scale)
{
    return scale >= 0 && scale <= CMny::kMaxScale;
}

// numerator / denominator (denominator > 0) rounded on the magnitude.
Wide DivideRounded(Wide numerator, Wide denominator, int roundType)
{
    const bool negative = numerator < 0;
    const Wide magnitude = negative ? -numerator : numerator;
    Wide quotient = magnitude / denominator;
    const Wide remainder = magnitude % denominator;
    if ((roundType == CMny::kRoundHalfUp && remainder * 2 >= denominator) ||
        (roundType == CMny::kRoundUp && remainder != 0))
        ++quotient;
    return negative ? -quotient : quotient;
}

// Stores value (at `scale`) into result; fails when it does not fit 64 bits.
int Store(Wide value, int scale, CMny& result)
{
    if (value > kMax || value < kMin) {
        result.SetInvalid();
        return 0;
    }
    result.SetValue(qint64(value), scale);
    return 1;
}

int Fail(CMny& result)
{
    result.SetInvalid();
    return 0;
}

// value at `scale` rounded to `digits` decimals.
int RoundWide(Wide value, int scale, CMny& result, int roundType, int digits)
{
    if (!IsRoundType(roundType) || !IsScale(digits))
        return Fail(result);
    if (digits >= scale) {
        // Scaling up only grows the magnitude: a value that already does not fit fails here.
        if (value > kMax || value < kMin)
            return Fail(result);
        return Store(value * Pow10(digits - scale), digits, result);
    }
    return Store(DivideRounded(value, Pow10(scale - digits), roundType), digits, result);
}

} // namespace

void CMny::SetValue(qint64 value, int scale)
{
    if (!IsScale(scale)) {
        SetInvalid();
        return;
    }
    m_value = value;
    m_scale = scale;
    m_valid = true;
}

void CMny::SetInvalid()
{
    m_value = 0;
    m_scale = 0;
    m_valid = false;
}

int CMny::Plus(const CMny& operand, CMny& result) const
{
    if (!m_valid || !operand.m_valid)
        return Fail(result);
    const int scale = qMax(m_scale, operand.m_scale);
    return Store(Wide(m_value) * Pow10(scale - m_scale) +
                     Wide(operand.m_value) * Pow10(scale - operand.m_scale),
                 scale, result);
}

int CMny::Minus(const CMny& operand, CMny& result) const
{
    if (!m_valid || !operand.m_valid)
        return Fail(result);
    const int scale = qMax(m_scale, operand.m_scale);
    return Store(Wide(m_value) * Pow10(scale - m_scale) -
                     Wide(operand.m_value) * Pow10(scale - operand.m_scale),
                 scale, result);
}

int CMny::Multiply(const CMny& operand, CMny& result, int roundType, int digits) const
{
    if (!m_valid || !operand.m_valid)
        return Fail(result);
    return RoundWide(Wide(m_value) * Wide(operand.m_value), m_scale + operand.m_scale, result, roundType,
                     digits);
}

int CMny::Divide(const CMny& operand, CMny& result, int roundType, int digits) const
{
    if (!m_valid || !operand.m_valid || operand.m_value == 0 || !IsRoundType(roundType) || !IsScale(digits))
        return Fail(result);
    // a / b in units of 10^-digits is a.value * 10^(b.scale - a.scale + digits) / b.value.
    const int exponent = operand.m_scale - m_scale + digits;
    Wide numerator = Wide(m_value);
    Wide denominator = Wide(operand.m_value);
    if (exponent >= 0)
        numerator *= Pow10(exponent);
    else
        denominator *= Pow10(-exponent);
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    return Store(DivideRounded(numerator, denominator, roundType), digits, result);
}

int CMny::Round(CMny& result, int roundType, int digits) const
{
    if (!m_valid)
        return Fail(result);
    return RoundWide(m_value, m_scale, result, roundType, digits);
}

int CMny::Rescale(int scale, CMny& result) const
{
    if (!m_valid || !IsScale(scale))
        return Fail(result);
    if (scale >= m_scale)
        return Store(Wide(m_value) * Pow10(scale - m_scale), scale, result);
    const Wide divisor = Pow10(m_scale - scale);
    if (m_value % divisor != 0)
        return Fail(result);
    return Store(m_value / divisor, scale, result);
}

int CMny::Compare(const CMny& other) const
{
    if (!m_valid || !other.m_valid)
        return int(m_valid) - int(other.m_valid);
    const int scale = qMax(m_scale, other.m_scale);
    const Wide a = Wide(m_value) * Pow10(scale - m_scale);
    const Wide b = Wide(other.m_value) * Pow10(scale - other.m_scale);
    return a < b ? -1 : (a > b ? 1 : 0);
}

double CMny::ToDouble() const
{
    return m_valid ? double(m_value) / double(Pow10(m_scale)) : 0.0;
}
