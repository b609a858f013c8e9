#pragma once

#include <QString>
#include <QStringList>

// The default sales conditions of the current database: thirteen
// default-value files in its "Other" folder that new customers and
// suppliers, the import, the invoice issue, the report list and the slip
// list read. This is the dialog's state and its codings without widgets.

// The closing-day list ("都度", "月末締", the days 5-25 in fives, then the
// other days 1-28): list index to stored day (99 for an index outside the
// list) and back (index 1 for a day the list does not hold).
int CloseDayFromIndex(int index);
int CloseDayToIndex(int day);
// The list's 30 texts.
QStringList CloseDayTexts();

class CSalesConditionRules
{
  public:
    enum { kFileCount = 13 };

    // The files in reading and writing order.
    static const QStringList& FileNames();

    // List texts of the controls, in list order.
    static QStringList RoundTexts();    // "切り捨て", "四捨五入", "切り上げ"
    static QStringList TaxTypeTexts();  // "請求時" ... "しない"
    static QStringList TaxRoundTexts(); // "端数切り捨て" ...
    static QStringList CycleTexts();    // "請求後", "当月" ... "6ヶ月後"
    static QStringList DayTexts();      // "月末", "1日" ... "28日"
    static QStringList MethodTexts();   // "現金" ... "その他"
    static QStringList DigitTexts();    // "0桁", "1桁", "2桁"

    // The example beside the unit-price options; empty for no decimals
    // entry (the caller then keeps what it shows).
    static QString ExampleText(int decimalsIndex, int roundingIndex);

    // Reads the files of `dbFolder`'s "Other" folder into the members; a
    // missing file keeps its default, a damaged one is reported by name and
    // keeps its default. An empty folder (no current database) reads nothing.
    void Load(const QString& dbFolder);

    // The 13 texts to write, by the save coding, in file order.
    QStringList SaveTexts() const;

    enum Check { CHECK_OK, CHECK_MONTHS, CHECK_CLOSE_TAX };
    Check Validate() const;

    // OK: validates (with the message), then writes the 13 files into
    // `dbFolder`'s "Other". True when every file was written; a refusal or
    // a file that could not be written is reported and gives false.
    bool Save(const QString& dbFolder) const;

    // Load coding of the values read as texts, in file order.
    void SetTexts(const QStringList& texts, const QList<bool>& found);

    // Members, as list indexes where the control is a list. The defaults
    // are those of a database without the files.
    int m_nCarryOver = 0; // 0 includes the carried-over balance
    int m_nMonths = 12;   // slip list period, 1-12
    int m_nCloseDay = 1;  // closing-day list index ("月末締")
    int m_nRound = 0;     // amount rounding
    int m_nTaxType = 1;   // "納品ごと"
    int m_nTaxRound = 0;
    int m_nCycle = 2;    // "翌月"
    int m_nDayIndex = 0; // "月末"
    int m_nMethod = 0;   // "現金"
    int m_nRemarks = 1;
    int m_nDayCount = 1; // days after the invoice (cycle 0)
    int m_nPriceDigits = 0;
    int m_nPriceRound = 0;
    int m_nShowCode = 1; // product code shown
};
