#pragma once

#include <QtGlobal>

// Money: a 64-bit integer with a decimal scale (value 12345, scale 2 is
// 123.45). Sums are exact; multiply and divide round to a digit count with
// rounding type 1 truncate, 2 half up, 3 up, always on the magnitude, so a
// negative amount rounds like its positive twin. Overflow and division by
// zero fail (answer 0) and leave the result invalid, never a wrong number.
class CMny
{
  public:
    enum { kRoundTruncate = 1, kRoundHalfUp = 2, kRoundUp = 3 };
    static constexpr int kMaxScale = 9;

    CMny() = default;
    CMny(qint64 value, int scale = 0) { SetValue(value, scale); }

    // A scale outside 0..kMaxScale makes the value invalid.
    void SetValue(qint64 value, int scale);
    qint64 GetValue() const { return m_value; }
    int GetScale() const { return m_scale; }

    bool IsValid() const { return m_valid; }
    void SetInvalid();
    bool IsZero() const { return m_valid && m_value == 0; }

    // result = this + operand (scale = the larger scale). 1 done, 0 failed.
    int Plus(const CMny& operand, CMny& result) const;
    // result = this - operand. 1 done, 0 failed.
    int Minus(const CMny& operand, CMny& result) const;
    // result = this * operand rounded to `digits` decimals. 1 done, 0 failed.
    int Multiply(const CMny& operand, CMny& result, int roundType, int digits) const;
    // result = this / operand rounded to `digits` decimals. 1 done, 0 failed.
    int Divide(const CMny& operand, CMny& result, int roundType, int digits) const;
    // result = this rounded to `digits` decimals. 1 done, 0 failed.
    int Round(CMny& result, int roundType, int digits) const;

    // The same amount at another scale; fails (0) when digits would be lost
    // or the value overflows.
    int Rescale(int scale, CMny& result) const;

    // Exact comparison across scales; an invalid value orders below every valid one.
    int Compare(const CMny& other) const;
    bool operator==(const CMny& o) const { return Compare(o) == 0; }
    bool operator!=(const CMny& o) const { return Compare(o) != 0; }
    bool operator<(const CMny& o) const { return Compare(o) < 0; }
    bool operator<=(const CMny& o) const { return Compare(o) <= 0; }
    bool operator>(const CMny& o) const { return Compare(o) > 0; }
    bool operator>=(const CMny& o) const { return Compare(o) >= 0; }

    double ToDouble() const;

  private:
    qint64 m_value = 0;
    int m_scale = 0;
    bool m_valid = true;
};
