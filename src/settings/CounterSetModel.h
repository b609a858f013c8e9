#pragma once

#include <QString>

#include "settings/CounterInfo.h"

class CMakeMsgID;

// The rules of the number settings dialog "伝票番号の設定" without the
// widget: the values as typed, the preview, the digit-change question and
// the checks and saving of OK.
class CCounterSetModel
{
  public:
    // What OK found wrong; the dialog shows the framework's range message
    // for the fields, the total has its own message (already shown), and so
    // have a prefix or suffix with a character the file cannot hold and a
    // damaged "NoInfo.dat" the user kept (nothing saved).
    enum Check {
        CHECK_OK,
        CHECK_PREFIX,
        CHECK_SUFFIX,
        CHECK_PREFIX_CHARS,
        CHECK_SUFFIX_CHARS,
        CHECK_DIGITS,
        CHECK_NUMBER,
        CHECK_TOTAL,
        CHECK_NOT_SAVED
    };

    static constexpr int kMaxAffixBytes = 6;
    static constexpr int kMaxTotalBytes = 20;
    static constexpr int kMaxNumber = 999999999;

    // With `data`, the number to set is proposed past the numbers the
    // books hold.
    explicit CCounterSetModel(int kind, CMakeMsgID* data = nullptr) : m_nKind(kind), m_pData(data) {}

    // Takes the values of the kind's counter, or a fresh counter's when the
    // file is a damaged one the user kept; a stored digit count outside 1-9
    // (a damaged file) is taken as the nearest. Proposes the number to set.
    void Open();
    // The number to set moves after the highest stored number of the form
    // as typed when the books hold it (or, for a form the counter has no
    // number of, any at or above it); when no number past the stored ones
    // fits the digits, the user is told so and what to change.
    void ProposeForForm();
    QString GetCaption() const;
    // prefix + number + suffix of the values as typed.
    QString GetPreview() const;
    // Characters "設定する連番" takes: the digit count.
    int GetNumberLimit() const { return m_nNumberLimit; }

    // "リセット".
    void Reset() { m_nSetNo = 1; }
    // The up-down arrow of "桁数" (1-9). The first change asks whether the
    // number to set may start again at 1 (or the proposal of the form);
    // false when refused.
    bool StepDigits(int digits);
    // OK: checks the values, then stores them into the counter and saves.
    // After a refused reset of a damaged file the reset is offered again;
    // refused once more, nothing is saved and the dialog stays open.
    Check OnOK();

    QString m_strPrefix;
    QString m_strSuffix;
    int m_nDigits = 6;
    int m_nCurrentNo = 0; // shown read-only
    int m_nSetNo = 1;
    int m_nZeroFill = 0;

  private:
    int m_nKind;
    CMakeMsgID* m_pData;
    CCounterInfo m_info;
    QString m_strOpenedPrefix;
    QString m_strOpenedSuffix;
    int m_nNumberLimit = 6;
    int m_nConfirmDigits = 1;
    int m_nOpenedSetNo = 1;
};
