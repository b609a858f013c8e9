#pragma once

#include <QString>

#include "settings/SettingsArchive.h"

// Kinds of automatic number.
enum CounterKind : int {
    COUNTER_INVOICE = 6,           // closing invoices
    COUNTER_PAYMENT_STATEMENT = 7, // payment statements
    COUNTER_RECEIPT = 10,          // receipts of money
    COUNTER_PAYMENT = 50,          // payments
    COUNTER_STOCK = 51,            // stock movements
    COUNTER_CUSTOMER_CODE = 100,   // codes of new customers
    COUNTER_SUPPLIER_CODE = 101,   // codes of new suppliers
};

// One automatic numbering: the next number and how it is written.
class CCounterInfoElem
{
  public:
    static constexpr const char kClassName[] = "CCounterInfoElem";

    void Serialize(CArchiveReader& ar);
    void Serialize(CArchiveWriter& ar) const;

    // prefix + number + suffix.
    QString Format() const;
    // The number alone: zero filled to the digit count when zero fill is 1
    // and it fits, else in full. Digits outside 1-9 count as the nearest.
    static QString FormatNumber(int number, int digits, int zeroFill);
    // A digit count as the counter uses it: one outside 1-9 (a damaged
    // file) counts as the nearest.
    static int ClampDigits(int digits);
    // Whether the number has at most `digits` digits (clamped to 1-9).
    static bool Fits(qint64 number, int digits);
    // The last number `digits` digits (clamped to 1-9) hold: 999 for 3.
    static qint64 LastNumber(int digits);
    // The number after `number`: 1 again when it outgrows the digits.
    static int NextNumber(int number, int digits, bool* wrapped = nullptr);

    int m_nKind = -1;
    int m_nNumber = 1; // the number the next document or code gets
    int m_nDigits = 6; // 1-9
    int m_nZeroFill = 1;
    QString m_strPrefix; // at most 6 bytes
    QString m_strSuffix; // at most 6 bytes
    int m_nAuto = 0;     // codes of new partners are proposed from here
};

// The counters of the current database, "NoInfo.dat". An object serves one
// kind, the first one asked of it. Every write reads the file again and
// changes only that kind's counter, so counters used elsewhere at the same
// time keep their numbers and no number is handed out twice.
class CCounterInfo
{
  public:
    static constexpr const char kFileName[] = "NoInfo.dat";

    // The counter this object serves, read again from the file (so changes
    // to it are saved before asking again); loads the file for `kind` on
    // first use. None when the file cannot be loaded.
    CCounterInfoElem* GetElem(int kind);
    // Reads the file and serves the first counter of `kind`, appending a
    // default one when there is none (not saved). 1 usable, 0 not.
    int Load(int kind);
    // Advances the served counter from the number the file holds now and
    // saves: 1, -1 when it outgrew its digits and starts again at 1, 0 when
    // not loaded or the file cannot be read or written.
    int Increment();
    // Takes `count` numbers at once, from the number the file holds now, and
    // saves once: `first` gets the first of them and the counter the number
    // after the last. Results as Increment's.
    int Reserve(int count, int& first);
    // Reserve, from `from` on instead of where the counter stands, when the
    // file still holds `seen` for it (or nothing of its kind): kMoved, with
    // nothing written, when another user moved it since. A `count` of 0
    // only sets the counter to `from`.
    static constexpr int kMoved = -2;
    int ReserveFrom(int seen, int from, int count, int& first);
    // Gives the last block taken by Reserve back, when the file still holds
    // the number after it (nobody took numbers since): the counter returns
    // to the block's first number. 1 given back, 0 not (taken since, no
    // block, or the file cannot be read or written).
    int GiveBack();
    // Writes the served counter into the file as it is now: 1 or 0.
    int Save();
    void RemoveAll();
    bool IsLoaded() const { return m_bLoaded; }
    // The served counter was in no file when loaded (none, one reset after
    // damage, or one without its kind) and none has been saved since: it
    // stands at its defaults.
    bool IsFresh() const { return m_bFresh; }

    const SettingsElems<CCounterInfoElem>& GetElems() const { return m_elems; }

  private:
    // Makes `fresh` (the file read again) the collection, with the served
    // element in its kind's place, taking the stored values first when
    // `takeStored`.
    void Adopt(SettingsElems<CCounterInfoElem>& fresh, bool takeStored);
    // Reads the file again, adopts it, advances by `advance` numbers (the
    // first of them into `first`) and writes; with `seen`, from `from` on
    // when the file still holds that number (kMoved otherwise).
    int Commit(int advance, int* first = nullptr, const int* seen = nullptr, int from = 0);
    int ReserveBlock(int count, int& first, const int* seen, int from);

    QString m_strPath;
    CCounterInfoElem* m_pCurrent = nullptr;
    SettingsElems<CCounterInfoElem> m_elems;
    bool m_bLoaded = false;
    bool m_bFresh = false;
    // The last block reserved: its first number and the number after it.
    int m_nBlockFirst = 0;
    int m_nBlockNext = 0;
};
