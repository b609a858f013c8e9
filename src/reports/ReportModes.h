#pragma once

#include "platform/data/TradeSide.h"
#include "resources/ViewKinds.h"

#include <QString>

// How a report mode gets its records.
enum class EReportLoader {
    None,
    Closing,
    Schedule,
    Billed,
    SlipDetail,
    Balance,
    Summary,
    Ledger,
    SummarySheet
};

// The family of lists a mode belongs to: the controller that runs what the
// family does beyond the list, its columns and the commands all lists share.
enum class EReportFamily { None, Closing, Schedule, Aggregation, Ledger, Stock };

// What a row stands for; customers and suppliers keep the numbers the
// aggregation dialog takes for its kind of report.
enum class EReportPartner { Product = 0, Customer = 1, Supplier = 2, Staff = 3, Period = 4 };

// The amounts a row gets beside those its statement delivers: the closing
// candidates' tax at closing and billed amount, the billed lists' billed
// amount, the sales totals' gross margin, the stock list's stock value.
enum class EReportAmounts { None, Closing, Billed, Margin, StockValue };

// The rows shown red: a stock shortage, a credit limit exceeded.
enum class EReportWarning { None, StockShortage, CreditLimit };

// The statement of a mode loaded by statement; the side picks the sales or
// the purchase twin.
enum class EReportStatement {
    None,
    Receipts,
    ReceiptLines,
    SlipLines,
    QuoteOrderLines,
    StockMoves,
    Balances,
    PartnerTotals,
    ProductTotals,
    StaffTotals,
    PeriodTotals,
    Stock,
    StockInOut,
    PartnerTrend,
    ProductTrend,
    StaffTrend,
    StockTrend
};

// The mark in a row's first column: none, the closing candidate chosen, the
// settled seal "済" and the concluded seal "成".
enum class EReportRowMark { None, Chosen, Settled, Concluded };

// What a double click on a row does.
enum class EReportDoubleClick { None, ClosePrint, Receipt, Reprint, EditStock, DrillDown, ShowSlip };

// The conditions a summary asks over a loaded list: the aggregation dialog,
// a period only, or a period with its daily or monthly breakdown.
enum class EReportSummaryAsk { None, Aggregation, Period, PeriodTotals };

// How the ledger print command prints: the stock detail as a list through
// its preview, the ledgers of the partners selected in a balance list, or
// the ledger shown.
enum class EReportLedgerPrint { None, ListPreview, SelectedPartners, ShownLedger };

// The stock movement a row edit asks: a new one for the product of the row,
// or the movement the row is.
enum class EReportStockEdit { None, NewMovement, Movement };

// The columns a mode lists.
enum class EReportColumns {
    None,
    Closing,
    Schedule,
    Billed,
    Slips,
    SlipLines,
    SlipDetails,
    StockMoves,
    Balances,
    PartnerTotals,
    ProductSales,
    ProductPurchases,
    StaffTotals,
    PeriodTotals,
    Stock,
    StockInOut,
    Trend,
    StockTrend,
    StockDetail,
    Ledger,
    SummarySheet
};

// The slip behind a detail row: its header table, the slip-form program's
// kind and the slip list named when its layout is gone.
struct CReportSlipSource {
    const char* table = nullptr;
    int kind = 0;
    const char* listName = nullptr;
};

// The paper of a printed list: landscape, and the columns on the first and
// second line of a row's block.
struct CReportPaper {
    int landscape = 1;
    int leadColumns = 2;
    int secondColumns = 0;
};

// One list mode of the report screen (modes 8-48 equal the frame's view
// kinds) and everything the screen does differently for it.
struct CReportModeInfo {
    int mode = 0;
    const char* title = "";
    const CTradeSide& side = CTradeSide::Sales();
    EReportPartner partnerKind = EReportPartner::Product;
    EReportLoader loader = EReportLoader::None;
    EReportFamily family = EReportFamily::None;
    int menuId = 0;
    int toolBarId = 0;
    int helpId = 0;

    // Rows are closing candidates: closing, its date, and invoices on closing.
    bool closesPartners = false;
    // Rows are or may become closings: undoing them, invoice reprints and
    // address labels.
    bool handlesClosings = false;
    // Read again when another program changed data (closing candidates
    // reload their own way, keeping the partners chosen).
    bool reloadsOnDataChange = false;
    // Loaded again when the carry-over switch changes.
    bool followsCarryOver = false;
    // Opens on the default period ending today.
    bool opensOnDefaultPeriod = false;
    // Select-all acts: the lists whose commands take many rows.
    bool selectsAll = false;
    EReportRowMark mark = EReportRowMark::None;
    // Under a classification grouping, rows fold into groups.
    bool groupable = false;
    // A ledger or stock detail of one partner or product: filled from its own
    // record sets, never sorted, with its own conditions.
    bool ledger = false;
    // The detail a double click drills down to, and the list it goes back to.
    int drillTo = 0;
    int backTo = 0;
    // The title shown when reached by drilling down.
    const char* drillTitle = "";
    EReportDoubleClick doubleClick = EReportDoubleClick::None;
    // The receipt or payment dialog opens on a row.
    bool opensReceipt = false;
    // Bank-transfer requests print from the rows.
    bool printsTransferRequest = false;
    // Receipt vouchers print from the rows.
    bool printsReceiptVoucher = false;
    EReportLedgerPrint ledgerPrint = EReportLedgerPrint::None;
    // The table whose rows are deleted (null: nothing is), and whether a
    // deleted row undoes the closing it was booked to.
    const char* deleteTable = nullptr;
    bool deleteUndoesClosing = false;
    EReportStockEdit stockEdit = EReportStockEdit::None;
    EReportSummaryAsk summaryAsk = EReportSummaryAsk::None;
    // Twelve months a row.
    bool trend = false;
    // The aggregation dialog shows no end date.
    bool asksNoEndDate = false;
    // Lines of slips that get billed: their billing and their form show,
    // and a slip may be the billing-time tax.
    bool billedLines = false;
    // The slip the number settings concern (-1 none) and its name.
    int counterKind = -1;
    const char* counterName = "";
    EReportColumns columns = EReportColumns::None;
    // The order lines' delivery date.
    bool dueDate = false;
    // The billed status toggles by a click on the row's mark.
    bool settlesByMark = false;
    // Gets the classification column when one is chosen.
    bool classColumn = false;
    CReportSlipSource slip = {};
    CReportPaper paper = {};
    EReportAmounts amounts = EReportAmounts::None;
    EReportWarning warning = EReportWarning::None;
    EReportStatement statement = EReportStatement::None;
    // The receipt schedule lists the partners' readings.
    bool readingName = false;
    // Slip lines: an amount of 0 shows as an empty cell, yet counts as an
    // amount the line has.
    bool blankZeros = false;
    // Rows are the days or months of the period: one without amounts is left
    // out, and a month reads "yyyy年MM月".
    bool periodRows = false;
    // Rows of a blank code (the one-time partner) stay below all others.
    bool blankCodeLast = false;
    // The count counts lines ("明細") rather than slips ("件").
    bool countsLines = false;
    // The list stands at one date, which its label shows alone.
    bool oneDate = false;

    // Customers or suppliers, one a row.
    constexpr bool ListsPartners() const
    {
        return partnerKind == EReportPartner::Customer || partnerKind == EReportPartner::Supplier;
    }
    constexpr bool ListsProducts() const { return partnerKind == EReportPartner::Product; }
};

// The modes are the frame's report view kinds.
inline constexpr int kFirstReportMode = kFirstReportViewKind;
inline constexpr int kLastReportMode = kLastReportViewKind;

// The closing candidates of a side (sales: invoices, purchases: payment
// statements).
int GetClosingReportMode(bool purchase);

// Null outside 8-48.
const CReportModeInfo* GetReportModeInfo(int mode);
// The facts of a mode; outside 8-48 a mode that does nothing.
const CReportModeInfo& ReportMode(int mode);
QString GetReportModeTitle(int mode);
// View kinds 8-48 are the report list's modes.
bool IsReportMode(int mode);

// The row-mark picture of a mode (183, 186, 196, 202 or 229) and whether
// rows show marks; `grouping` is the list's classification grouping flag.
int GetReportMarkBitmap(int mode, bool grouping);
bool ReportModeShowsMarks(int mode, bool grouping);

// Modes 25-41 list per product, partner, staff member or period and can be
// grouped by a classification.
inline bool IsSummaryMode(int mode)
{
    return ReportMode(mode).loader == EReportLoader::Summary;
}
// Modes that get the classification column when one is chosen.
inline bool HasClassColumn(int mode)
{
    return ReportMode(mode).classColumn;
}
