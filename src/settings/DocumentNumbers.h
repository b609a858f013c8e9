#pragma once

#include "settings/CounterInfo.h"

#include <QString>
#include <QStringList>

class CMakeMsgID;

// The numbers of the documents the counters number (invoices, payment
// statements, receipts, payments, stock movements), never one the books
// already hold, whatever state "NoInfo.dat" is in: before numbers are taken
// they are looked up among the stored numbers of their form, and when the
// books hold one of them (or the counter starts afresh below the highest)
// the numbering continues after the highest stored one the counter's digits
// can hold; a wider one, typed by hand, never meets what the counter makes.
// Numbers past the last one the digits hold that would fall on held numbers
// are refused.
class CDocumentNumbers
{
  public:
    enum class EResult {
        Taken,
        NoCounter, // the counter file cannot be read
        NotSaved,  // the counter file cannot be written
        NotRead,   // the stored numbers cannot be read (DataResult, DataError)
        Exhausted, // no free numbers left within the digits (RefusalText)
    };

    CDocumentNumbers(CMakeMsgID& data, int kind);

    // The table keeping the numbers of a counter kind; empty for the
    // partner codes, whose numbers the master tables check themselves.
    static QString TableOf(int kind);

    // Takes `count` numbers for a run in one save, each formatted, stepping
    // as the counter steps.
    EResult Take(int count, QStringList& numbers);
    // The number the next document gets, the counter moved past the books'
    // numbers and saved as Take would, without taking it: on a refusal the
    // counter's own number.
    EResult Next(QString& number);
    // Gives the block taken last back (CCounterInfo::GiveBack).
    int GiveBack() { return m_counter.GiveBack(); }

    // After Take or Next: what the user is told once when the numbering
    // moved past the books' numbers (empty when it did not).
    const QString& Notice() const { return m_strNotice; }
    // After Exhausted: why, `notDone` saying what was not done
    // ("締め処理を行いませんでした") and `again` what to do again ("締めて").
    QString RefusalText(const QString& notDone, const QString& again) const;
    // After NoCounter or NotSaved (`result`): the counter file and what to
    // do about it, worded as RefusalText.
    QString MissingText(EResult result, const QString& notDone, const QString& again) const;
    // After NotRead: the data access's answer and text.
    int DataResult() const { return m_nDataResult; }
    const QString& DataError() const { return m_strDataError; }

    // The number to propose for a counter of `kind` written as `prefix`,
    // digits and `suffix` standing at `number`: after the highest stored one
    // of that form when the books hold `number` or, with `fresh` (a counter
    // with no number of its own for the form), when they hold any at or
    // above it; else `number`. Also `number` when the next one does not fit
    // `digits` or the numbers cannot be read; in the first case `highest`
    // gets the highest stored number, as stored.
    static int Propose(CMakeMsgID& data, int kind, const QString& prefix, const QString& suffix, int digits,
                       int number, bool fresh, QString* highest = nullptr);
    // Why no number of `kind` can be proposed within `digits` past the
    // stored `highest`, and what the user can change.
    static QString FullText(int kind, int digits, const QString& highest);

  private:
    // What frees numbers for a counter of `digits` that has run out.
    static QString WiderForm(int digits);
    // Looks the run of `count` from `from` up and moves `from` past the
    // books' numbers when they hold any of it (the notice said then).
    EResult Plan(const CCounterInfoElem& elem, int count, int& from);
    // Plans and takes `count` numbers from the counter (0: only moves it
    // past the books' numbers when it must), again when another user moved
    // it meanwhile: `first` the first of them (on a refusal the counter's
    // own number), `elem` the counter (none without one).
    EResult Claim(int count, int& first, const CCounterInfoElem*& elem);

    CMakeMsgID& m_data;
    int m_nKind;
    CCounterInfo m_counter;
    QString m_strNotice;
    QString m_strHighest; // the highest stored number of the form, as stored
    int m_nDigits = 6;
    int m_nDataResult = 1;
    QString m_strDataError;
};

// The slip number of an entry dialog that makes documents one at a time
// (receipts, payments, stock movements): proposed from the counter past the
// books' numbers, looked up again before the document is written while it
// is still the proposed one, and advanced after.
class CDialogNumber
{
  public:
    CDialogNumber(CMakeMsgID& data, int kind) : m_numbers(data, kind), m_nKind(kind) {}

    // The number to show for the next document; the user is told when it
    // moved past the books' numbers.
    QString Propose();
    // Before a new document is written with `number`: a number still as
    // proposed is moved past the books' numbers again when they took it
    // meanwhile. Exhausted is told here ("登録しませんでした"); NotRead is
    // left to the caller (Numbers()).
    CDocumentNumbers::EResult Confirm(QString& number);
    // After the document was written: the counter advances; the next
    // proposal.
    QString Advance();
    const CDocumentNumbers& Numbers() const { return m_numbers; }

  private:
    void TellNotice() const;

    CDocumentNumbers m_numbers;
    int m_nKind;
    QString m_strProposed;
};
