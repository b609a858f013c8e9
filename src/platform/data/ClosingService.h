#pragma once

#include "platform/data/MakeMsgID.h"
#include "platform/data/Mny.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

struct CTradeSide;

// Why a closing, its undo or a carry-forward did not do its work.
enum class EClosingRefusal {
    None,            // done
    BadRequest,      // the records name no closing of either side, or do not match their check
    BadDate,         // the closing or carry-forward date is no date
    PartnerTwice,    // a partner named twice in one run
    AlreadyClosed,   // a partner already closed for the account on that date
    NothingToClose,  // a partner with no unbilled slip up to the date (closed meanwhile)
    PreviousDiffers, // the previous carry-forward date given is not the stored one
    BeforePrevious,  // the date lies before the previous carry-forward
    NoRoom,          // too little free disk space beside the file for its journal, or the
                     // disk filled up during the work (which then wrote nothing)
    Failed,          // the database refused or failed a statement (a constraint, a lock)
    Fatal,           // the connection or the file is broken: the database must not be used
};

// The refusal a failure of the database engine on `db` (its result 10) comes
// to: NoRoom when the disk was full, else Failed.
EClosingRefusal ClosingFailure(const CMakeMsgID& db);

// What the work came to: done, or refused with the reason the user reads
// (naming the partner where one is the cause).
struct CClosingRefusal {
    EClosingRefusal why = EClosingRefusal::None;
    QString text;

    bool IsDone() const { return why == EClosingRefusal::None; }
    // The data library's answer: 1 done, -100 fatal, 10 any other refusal.
    int Code() const;
    // The same with the reason put into `err` when there is one.
    int Answer(QString& err) const;
};

// What the closing list showed of a partner's figures. A closing with a
// candidate statement books only what was shown: a partner whose figures
// differ when its row is read again inside the run is left open.
struct CCloseFigures {
    CMny prevBilled; // the previous bill (unpaid amount) carried in
    CMny received;   // received (paid) since
    CMny net;        // sales (purchases) without tax
    CMny taxable;    // of them, what is billed with tax at the closing
    CMny slipTax;    // the tax the slips carry themselves
    int slips = 0;   // slips entered
};

// One partner to close.
struct CCloseCandidate {
    QString code;   // the partner
    QString number; // the number reserved for its invoice (payment statement)
    // Its collection (payment) terms, which give the closing's due date:
    // see CClosingService::CollectDate.
    int collectCycle = 0;
    int collectDay = 0;
    // The tax billed at the closing: when not 0 a tax slip of the closing
    // carries it, under the partner's names.
    CMny tax;
    QString company;
    QString section;
    QString name;
    CCloseFigures shown;
};

// A run of closings of one side at one closing date.
struct CCloseRequest {
    const CTradeSide* side = nullptr;
    QDate closeDate;
    QDate issued; // the closings' own date, which their documents show
    CMny taxRate; // the consumption-tax rate of the closing date
    // The candidate statement the list was read with: each candidate's
    // shown figures are checked against its row again. Empty: none are.
    QString statement;
    std::vector<CCloseCandidate> candidates;
};

struct CCloseOutcome {
    CClosingRefusal refusal;
    // Per candidate, in order: the ID of its new closing, or 0 when it was
    // left open (its figures changed) or the run refused.
    QList<int> ids;
    // The codes of the candidates left open, in order.
    QStringList changed;
};

// One invoice (payment statement) for the slip-form program: its closing
// and what the closing's row on the list showed. An empty text and an
// amount without value stay empty on the invoice (the carried-over amounts
// have none when the carry-over is left out).
struct CInvoiceHeader {
    int closing = 0; // the closing it is of
    QString number;
    QDate issued;
    QDate closeDate;
    QString code; // the partner
    QString zip;
    QString address;
    QString company;
    QString section;
    QString name;
    QString keisho;
    QString keisho2;
    QString myPerson;
    std::optional<CMny> prevBilled; // the previous bill (unpaid amount) carried in
    std::optional<CMny> received;   // received (paid) since
    std::optional<CMny> carried;    // carried over
    std::optional<CMny> net;        // sales (purchases) without tax
    std::optional<CMny> tax;
    std::optional<CMny> due; // billed (owed) for the period, tax included
    std::optional<int> slips;

    // Its fields by their columns in the header work table (WShime_H).
    template <typename T> struct Column {
        const char* name;
        T CInvoiceHeader::*field;
    };
    static const std::array<Column<QString>, 10> kTexts;
    static const std::array<Column<QDate>, 2> kDates;
    static const std::array<Column<std::optional<CMny>>, 6> kAmounts;
};

struct CCarryForwardOutcome {
    CClosingRefusal refusal;
    // What left the books (nothing unless done).
    CCarryForwardCounts counts;
    // The booked balances differed from the headers and were made again
    // before the run (a run refused afterwards undoes that with the rest).
    bool balancesRemade = false;
};

// The closing, its undo, the invoice work tables and the carry-forward over
// one data-access object, for screens and tools alike: it takes typed
// candidates and answers typed outcomes, and asks nothing and shows
// nothing. Each call runs in one transaction (nested into a caller's when
// one is open): everything is written or nothing. The object's listener
// (CMakeMsgID::SetProgress) hears the steps of each call.
class CClosingService
{
  public:
    explicit CClosingService(CMakeMsgID& db) : m_db(db) {}

    // Closes the candidates at the request's closing date: each partner
    // gets a closing record, its slips not yet billed and its receipts
    // (payments) not yet booked dated up to the date are booked to it, and
    // its tax slip is made. Refused: a partner twice, one already closed on
    // the date, one with nothing to close; then nothing is written.
    CCloseOutcome Close(const CCloseRequest& request);
    // Undoes the closings of the side with these IDs: their slips and money
    // are unbooked, their tax slips and the closing records deleted. An ID
    // given twice counts once; one without a closing is skipped.
    CClosingRefusal Undo(const CTradeSide& side, const QList<int>& closings);
    // Carries the books forward to `date`, both sides at once. Every closing
    // with CloseDate up to the date goes with its slips (lines and tax
    // slips) and its booked receipts or payments (lines), except a
    // partner's first open closing (Status 0, by CloseDate and ID) and all
    // after it, so no unpaid invoice leaves the schedules; the removed
    // slips' Total less the removed money is added to the partner's
    // Collect. Item.StockNumber takes the stock change of the slip lines
    // and movements dated after `previous` up to the date, and
    // Util.StartDate becomes the date: reports after the date show the same
    // figures. A closing that would go but lies after a kept account
    // closing of its partner with an amount that closing never counted (or
    // before one, with money paid on it that no closing booked) stays, with
    // the ones after it: every kept closing keeps its figures.
    // `previous` is the stored date of the last carry-forward (invalid for
    // none): another is refused (PreviousDiffers), as are a date before it
    // (BeforePrevious) and less free disk space beside the file than its
    // size (NoRoom: its journal may take as much; the text says how much is
    // needed), before anything is changed. The booked balances are checked
    // first and made again when they differ from the headers.
    CCarryForwardOutcome CarryForward(const QDate& date, const QDate& previous);

    // Fills the slip-form program's invoice work tables with these
    // invoices of the side's closings: the headers (WShime_H) numbered 1..n
    // in order, and the lines (WShime_B) with the slip lines of each one's
    // closing by date, slip number and line. Both are emptied first, so
    // that they hold this command's invoices alone.
    CClosingRefusal MakeInvoices(const CTradeSide& side, const std::vector<CInvoiceHeader>& invoices);

    // The collection (payment) date of a closing on `closing`: `day` days
    // after it for cycle 0, else day `day` (99 = the last) of the month
    // `cycle` - 1 months on, one more for cycle 1 when the closing is past
    // that day.
    static QDate CollectDate(const QDate& closing, int cycle, int day);
    // The refusal of a carry-forward of a file of `fileSize` bytes with
    // `available` bytes free beside it: empty when they suffice or the free
    // space is unknown (negative).
    static QString SpaceShortage(qint64 fileSize, qint64 available);

  private:
    // Undoes the closings with these IDs.
    CClosingRefusal UndoIds(const CTradeSide& side, const QList<int>& closings);

    CMakeMsgID& m_db;
};
