// The facts of each report mode against what they drive: the commands its
// screen offers, the frame's menu bar and toolbar, the way into a detail
// and back, and the rules that tie a mode's family to what it does.

#include "reports/ReportModes.h"
#include "app/ViewRegistry.h"
#include "reports/ReportDelete.h"
#include "reports/ReportPrint.h"
#include "reports/ReportsModule.h"
#include "resources/CommandIds.h"
#include "resources/Menus.h"
#include "resources/ViewKinds.h"

#include <QSet>

#include <gtest/gtest.h>

#include <set>

namespace
{

bool In(int mode, std::initializer_list<int> modes)
{
    return std::set<int>(modes).contains(mode);
}

bool Between(int mode, int first, int last)
{
    return mode >= first && mode <= last;
}

using L = EReportLoader;

// The commands of the mode's own menu bar and toolbar, as its row names them.
QSet<int> Offered(const CReportModeInfo& info)
{
    QSet<int> ids;
    for (const CMenuEntry& entry : GetMenuResource(info.menuId))
        if (entry.kind == CMenuEntry::Command)
            ids.insert(entry.id);
    for (const CToolBarDef& bar : GetToolBarDefs())
        if (bar.resourceId == info.toolBarId)
            for (int id : bar.buttons)
                if (id != 0)
                    ids.insert(id);
    return ids;
}

// Every fact of every mode, as the screen has followed it mode by mode.
TEST(ReportModesTest, EachModeKeepsItsListBehaviour)
{
    for (int m = kFirstReportMode; m <= kLastReportMode; ++m) {
        SCOPED_TRACE(m);
        const CReportModeInfo& info = ReportMode(m);
        ASSERT_EQ(info.mode, m);
        EXPECT_EQ(info.closesPartners, In(m, {8, 9}));
        EXPECT_EQ(info.handlesClosings, In(m, {8, 9, 12, 13}));
        // The data-changed notice reaches the candidates, the billed and paid
        // lists, the schedules and the slip lines.
        EXPECT_EQ(info.closesPartners || info.reloadsOnDataChange, Between(m, 8, 13) || Between(m, 18, 21));
        EXPECT_EQ(info.followsCarryOver, Between(m, 8, 13));
        EXPECT_EQ(info.opensOnDefaultPeriod, In(m, {12, 13, 14, 16}));
        EXPECT_EQ(info.selectsAll, Between(m, 8, 14) || m == 16 || Between(m, 22, 24));
        EXPECT_EQ(info.settlesByMark, In(m, {12, 13}));
        EXPECT_EQ(info.groupable, m >= 25);
        EXPECT_EQ(info.ledger, Between(m, 42, 46));
        EXPECT_EQ(info.opensReceipt, Between(m, 10, 17) && !In(m, {12, 13}));
        EXPECT_EQ(info.printsTransferRequest, m == 11);
        EXPECT_EQ(info.printsReceiptVoucher, m == 14);
        EXPECT_EQ(info.trend, Between(m, 35, 41));
        EXPECT_EQ(info.billedLines, In(m, {18, 19}));
        EXPECT_EQ(info.dueDate, m == 21);
        EXPECT_EQ(IsSummaryMode(m), Between(m, 25, 41));
        EXPECT_EQ(HasClassColumn(m), Between(m, 23, 28) || Between(m, 33, 41));

        const L loader = In(m, {8, 9})         ? L::Closing
                         : In(m, {10, 11})     ? L::Schedule
                         : In(m, {12, 13})     ? L::Billed
                         : Between(m, 14, 22)  ? L::SlipDetail
                         : In(m, {23, 24})     ? L::Balance
                         : Between(m, 25, 41)  ? L::Summary
                         : In(m, {42, 45, 46}) ? L::Ledger
                         : In(m, {47, 48})     ? L::SummarySheet
                                               : L::None;
        EXPECT_EQ(info.loader, loader);

        // Drill-down from the balances and the stock in/out list, and back.
        EXPECT_EQ(info.drillTo, m == 23 ? 43 : m == 24 ? 44 : m == 34 ? 42 : 0);
        EXPECT_EQ(info.backTo, m == 42 ? 34 : m == 43 ? 23 : m == 44 ? 24 : 0);
        const char* drillTitle = m == 42   ? "入出庫明細"
                                 : m == 43 ? "得意先別元帳"
                                 : m == 44 ? "仕入先別元帳"
                                           : "";
        EXPECT_STREQ(info.drillTitle, drillTitle);

        using D = EReportDoubleClick;
        const D click = In(m, {8, 9})                     ? D::ClosePrint
                        : In(m, {10, 11, 14, 15, 16, 17}) ? D::Receipt
                        : In(m, {12, 13})                 ? D::Reprint
                        : In(m, {22, 33})                 ? D::EditStock
                        : In(m, {23, 24, 34})             ? D::DrillDown
                        : Between(m, 18, 21)              ? D::ShowSlip
                                                          : D::None;
        EXPECT_EQ(info.doubleClick, click);

        using P = EReportLedgerPrint;
        EXPECT_EQ(info.ledgerPrint, m == 42              ? P::ListPreview
                                    : In(m, {23, 24})    ? P::SelectedPartners
                                    : Between(m, 43, 46) ? P::ShownLedger
                                                         : P::None);

        using S = EReportStockEdit;
        EXPECT_EQ(info.stockEdit, m == 22 ? S::Movement : m == 33 ? S::NewMovement : S::None);

        using A = EReportSummaryAsk;
        const A ask = In(m, {31, 32})                   ? A::PeriodTotals
                      : In(m, {29, 30, 39, 40, 47, 48}) ? A::Period
                      : Between(m, 25, 41)              ? A::Aggregation
                                                        : A::None;
        EXPECT_EQ(info.summaryAsk, ask);
        if (ask == A::Aggregation) {
            EXPECT_EQ(info.asksNoEndDate, m == 33);
        }

        using K = EReportPartner;
        const K partner = In(m, {8, 10, 12, 14, 15, 18, 20, 23, 25, 35, 43, 45})   ? K::Customer
                          : In(m, {9, 11, 13, 16, 17, 19, 21, 24, 26, 36, 44, 46}) ? K::Supplier
                          : In(m, {29, 30, 39, 40})                                ? K::Staff
                          : In(m, {31, 32, 47, 48})                                ? K::Period
                                                                                   : K::Product;
        EXPECT_EQ(info.partnerKind, partner);
        EXPECT_EQ(info.ListsPartners(), partner == K::Customer || partner == K::Supplier);
        EXPECT_EQ(info.ListsProducts(), partner == K::Product);

        // The rows' computed amounts, red rows and the fill's rules.
        using N = EReportAmounts;
        EXPECT_EQ(info.amounts, In(m, {8, 9})             ? N::Closing
                                : In(m, {12, 13})         ? N::Billed
                                : In(m, {25, 27, 29, 31}) ? N::Margin
                                : m == 33                 ? N::StockValue
                                                          : N::None);
        using W = EReportWarning;
        EXPECT_EQ(info.warning, m == 33 ? W::StockShortage : m == 23 ? W::CreditLimit : W::None);
        EXPECT_EQ(info.readingName, m == 10);
        EXPECT_EQ(info.blankZeros, Between(m, 18, 21));
        EXPECT_EQ(info.periodRows, In(m, {31, 32}));
        EXPECT_EQ(info.blankCodeLast, m >= 23);
        EXPECT_EQ(info.countsLines, m == 15 || Between(m, 17, 22));
        EXPECT_EQ(info.oneDate, m == 33);

        using Q = EReportStatement;
        const Q statement = In(m, {14, 16})   ? Q::Receipts
                            : In(m, {15, 17}) ? Q::ReceiptLines
                            : In(m, {18, 19}) ? Q::SlipLines
                            : In(m, {20, 21}) ? Q::QuoteOrderLines
                            : m == 22         ? Q::StockMoves
                            : In(m, {23, 24}) ? Q::Balances
                            : In(m, {25, 26}) ? Q::PartnerTotals
                            : In(m, {27, 28}) ? Q::ProductTotals
                            : In(m, {29, 30}) ? Q::StaffTotals
                            : In(m, {31, 32}) ? Q::PeriodTotals
                            : m == 33         ? Q::Stock
                            : m == 34         ? Q::StockInOut
                            : In(m, {35, 36}) ? Q::PartnerTrend
                            : In(m, {37, 38}) ? Q::ProductTrend
                            : In(m, {39, 40}) ? Q::StaffTrend
                            : m == 41         ? Q::StockTrend
                                              : Q::None;
        EXPECT_EQ(info.statement, statement);
        // A statement loads exactly the lists of the slip, balance and
        // summary loaders.
        EXPECT_EQ(statement != Q::None,
                  info.loader == L::SlipDetail || info.loader == L::Balance || info.loader == L::Summary);

        // Each family holds the lists whose commands its controller runs.
        using F = EReportFamily;
        const F family = In(m, {8, 9, 12, 13})                      ? F::Closing
                         : In(m, {10, 11}) || Between(m, 14, 17)    ? F::Schedule
                         : Between(m, 18, 21) || Between(m, 42, 46) ? F::Ledger
                         : In(m, {22, 33})                          ? F::Stock
                                                                    : F::Aggregation;
        EXPECT_EQ(info.family, family);
        if (info.handlesClosings || info.settlesByMark || info.loader == L::Closing ||
            info.loader == L::Billed) {
            EXPECT_EQ(info.family, F::Closing);
        }
        if (info.opensReceipt || info.printsTransferRequest || info.printsReceiptVoucher ||
            info.loader == L::Schedule) {
            EXPECT_EQ(info.family, F::Schedule);
        }
        if (info.ledger || info.slip.table || info.loader == L::Ledger) {
            EXPECT_EQ(info.family, F::Ledger);
        }
        if (info.stockEdit != EReportStockEdit::None) {
            EXPECT_EQ(info.family, F::Stock);
        }
        if (info.loader == L::Balance || info.loader == L::SummarySheet) {
            EXPECT_EQ(info.family, F::Aggregation);
        }

        EXPECT_EQ(info.counterKind, m == 8 ? 6 : m == 9 ? 7 : m == 10 ? 10 : m == 11 ? 50 : -1);
        const char* counter = m == 8    ? "締め請求書"
                              : m == 9  ? "支払明細書"
                              : m == 10 ? "入金"
                              : m == 11 ? "出金"
                                        : "";
        EXPECT_STREQ(info.counterName, counter);
    }
}

// Each fact that makes a list do something is the fact that makes its screen
// offer the command for it: a changed fact without its menu, or a menu
// without its fact, fails here.
TEST(ReportModesTest, EachModesFactsAreWhatItsScreenOffers)
{
    for (int m = kFirstReportMode; m <= kLastReportMode; ++m) {
        SCOPED_TRACE(m);
        const CReportModeInfo& info = ReportMode(m);
        ASSERT_EQ(info.mode, m);
        ASSERT_FALSE(GetMenuResource(info.menuId).isEmpty());
        const QSet<int> offered = Offered(info);
        ASSERT_TRUE(offered.contains(ID_BACK_TO_MENU)) << "no toolbar " << info.toolBarId;
        const auto offers = [&offered](int id) { return offered.contains(id); };

        // Closing: the candidates close, every closing list undoes, reprints
        // and prints labels.
        EXPECT_EQ(offers(ID_REPORT_CLOSE_PRINT), info.closesPartners);
        EXPECT_EQ(offers(ID_REPORT_CLOSING_DATE), info.closesPartners);
        EXPECT_EQ(offers(ID_REPORT_UNDO_CLOSE), info.handlesClosings);
        EXPECT_EQ(offers(ID_REPORT_REPRINT), info.handlesClosings);
        EXPECT_EQ(offers(ID_MASTER_LABEL_PRINT), info.handlesClosings);
        EXPECT_EQ(offers(ID_REPORT_CARRY_OVER), info.followsCarryOver);
        EXPECT_EQ(offers(ID_REPORT_NUMBER_SETTINGS), info.counterKind >= 0);
        EXPECT_EQ(info.counterKind >= 0, *info.counterName != 0);
        // Schedules and receipts.
        EXPECT_EQ(offers(ID_REPORT_BULK_RECEIPT), info.loader == L::Schedule);
        if (offers(ID_REPORT_RECEIPT) || offers(ID_REPORT_SCHEDULE_DATE)) {
            EXPECT_TRUE(info.opensReceipt);
        }
        EXPECT_EQ(offers(ID_REPORT_TRANSFER), info.printsTransferRequest);
        EXPECT_EQ(offers(ID_REPORT_RECEIPT_PRINT), info.printsReceiptVoucher);
        // Rows deleted, periods and conditions changed in place.
        EXPECT_EQ(offers(ID_REPORT_DELETE), info.deleteTable != nullptr);
        EXPECT_EQ(ReportDeleteTable(m), QString::fromUtf8(info.deleteTable));
        EXPECT_EQ(offers(ID_REPORT_DISPLAY_PERIOD), info.loader == L::Billed || info.loader == L::SlipDetail);
        EXPECT_EQ(offers(ID_REPORT_SUMMARY_CONDITION), info.summaryAsk != EReportSummaryAsk::None);
        EXPECT_EQ(offers(ID_REPORT_BALANCE_CONDITION), info.loader == L::Balance);
        EXPECT_EQ(offers(ID_REPORT_STOCK_EDIT), info.stockEdit != EReportStockEdit::None);
        // Ledgers: their print, their conditions and the way back.
        EXPECT_EQ(offers(ID_LIST_PRINT), info.ledgerPrint != EReportLedgerPrint::None);
        EXPECT_EQ(offers(ID_LEDGER_CONDITION), info.ledger);
        EXPECT_EQ(offers(ID_BACK_TO_LIST), info.backTo != 0);
        if (info.selectsAll) {
            EXPECT_TRUE(offers(ID_REPORT_SELECT_ALL));
        }

        // A double click runs what the list does with a row.
        using D = EReportDoubleClick;
        EXPECT_EQ(info.doubleClick == D::ClosePrint, info.closesPartners);
        EXPECT_EQ(info.doubleClick == D::Receipt, info.opensReceipt);
        EXPECT_EQ(info.doubleClick == D::EditStock, info.stockEdit != EReportStockEdit::None);
        EXPECT_EQ(info.doubleClick == D::DrillDown, info.drillTo != 0);
        EXPECT_EQ(info.doubleClick == D::ShowSlip, info.slip.table != nullptr);
        if (info.doubleClick == D::Reprint) {
            EXPECT_TRUE(info.settlesByMark && info.handlesClosings);
        }

        // Into the detail and back to the same list, the detail being a
        // ledger reached only so or opened with a title of its own.
        if (info.drillTo != 0) {
            const CReportModeInfo& detail = ReportMode(info.drillTo);
            EXPECT_EQ(detail.backTo, m);
            EXPECT_TRUE(detail.ledger);
            EXPECT_STRNE(detail.drillTitle, "");
            EXPECT_EQ(detail.partnerKind, info.partnerKind);
            EXPECT_EQ(&detail.side, &info.side);
        }
        if (info.backTo != 0) {
            EXPECT_EQ(ReportMode(info.backTo).drillTo, m);
        }
        EXPECT_EQ(*info.title == 0, info.loader == L::None);
        // A partner list's side is the partner's.
        if (info.partnerKind == EReportPartner::Customer) {
            EXPECT_FALSE(info.side.IsPurchases());
        }
        if (info.partnerKind == EReportPartner::Supplier) {
            EXPECT_TRUE(info.side.IsPurchases());
        }

        // A statement loads exactly the lists of the slip, balance and
        // summary loaders.
        EXPECT_EQ(info.statement != EReportStatement::None,
                  info.loader == L::SlipDetail || info.loader == L::Balance || info.loader == L::Summary);
        EXPECT_EQ(IsSummaryMode(m), info.loader == L::Summary);
        EXPECT_EQ(HasClassColumn(m), info.classColumn);

        // Every mode has a family; which one its facts call for is checked
        // with each mode's facts above.
        EXPECT_NE(info.family, EReportFamily::None);
    }
}

// The frame's menu bar and toolbar of a report kind are its mode's: read
// from the table the reports provide, none before they do.
TEST(ReportModesTest, TheFramesBarsOfAReportKindAreItsModes)
{
    RegisterReportViews(CViewRegistry::Instance());
    QSet<int> menus;
    for (int m = kFirstReportMode; m <= kLastReportMode; ++m) {
        const CViewKindInfo kind = GetViewKindInfo(m);
        EXPECT_EQ(kind.viewClass, EViewClass::Shime) << m;
        EXPECT_EQ(kind.menuId, ReportMode(m).menuId) << m;
        EXPECT_EQ(kind.toolBarId, ReportMode(m).toolBarId) << m;
        menus.insert(kind.menuId);
    }
    // The thirteen report menu bars, each a mode's.
    EXPECT_EQ(menus, QSet<int>({149, 151, 153, 155, 169, 173, 184, 190, 192, 197, 206, 209, 228}));
    for (int outside : {7, 49})
        EXPECT_NE(GetViewKindInfo(outside).viewClass, EViewClass::Shime) << outside;

    SetReportViewBars(nullptr);
    for (int m : {kFirstReportMode, 25, kLastReportMode}) {
        const CViewKindInfo kind = GetViewKindInfo(m);
        EXPECT_EQ(kind.viewClass, EViewClass::Shime) << m;
        EXPECT_EQ(kind.menuId, 0) << m;
        EXPECT_EQ(kind.toolBarId, 0) << m;
    }
    RegisterReportViews(CViewRegistry::Instance());
    EXPECT_EQ(GetViewKindInfo(45).toolBarId, 446);
}

TEST(ReportModesTest, DeletesReceiptsPaymentsAndStockMovementsOnly)
{
    for (int m = kFirstReportMode - 2; m <= kLastReportMode + 2; ++m) {
        SCOPED_TRACE(m);
        const QString table = m == 14 ? "Receipt_H" : m == 16 ? "Pay_H" : m == 22 ? "StockChange" : QString();
        EXPECT_EQ(ReportDeleteTable(m), table);
        EXPECT_EQ(ReportMode(m).deleteUndoesClosing, In(m, {14, 16}));
    }
}

TEST(ReportModesTest, ClosingListOfEachSide)
{
    EXPECT_EQ(GetClosingReportMode(false), 8);
    EXPECT_EQ(GetClosingReportMode(true), 9);
}

TEST(ReportModesTest, SlipBehindADetailRow)
{
    struct Row {
        int mode;
        const char* table;
        int kind;
        const char* listName;
    };
    const Row rows[] = {
        {18, "Sales_H", 2, "売上一覧"},
        {19, "Stock_H", 5, "仕入一覧"},
        {20, "Estimate_H", 1, "見積一覧"},
        {21, "Order_H", 4, "注文一覧"},
    };
    for (const Row& r : rows) {
        const CReportSlipSource& slip = ReportMode(r.mode).slip;
        ASSERT_NE(slip.table, nullptr) << r.mode;
        EXPECT_STREQ(slip.table, r.table);
        EXPECT_EQ(slip.kind, r.kind);
        EXPECT_STREQ(slip.listName, r.listName);
    }
    for (int m = kFirstReportMode; m <= kLastReportMode; ++m) {
        if (!Between(m, 18, 21)) {
            EXPECT_EQ(ReportMode(m).slip.table, nullptr) << m;
        }
    }
}

TEST(ReportModesTest, MarksAndPaperPerMode)
{
    for (int m = kFirstReportMode - 1; m <= kLastReportMode + 1; ++m) {
        SCOPED_TRACE(m);
        for (bool grouping : {false, true}) {
            const int bitmap = In(m, {8, 9})                    ? 183
                               : In(m, {12, 13, 18, 19, 21})    ? 186
                               : m == 20                        ? 196
                               : Between(m, 25, 48) && grouping ? 202
                                                                : 229;
            EXPECT_EQ(GetReportMarkBitmap(m, grouping), bitmap) << grouping;
            EXPECT_EQ(ReportModeShowsMarks(m, grouping), bitmap != 229) << grouping;
        }
        int landscape = 1, lead = 2, second = 0;
        if (In(m, {8, 9, 12, 13}))
            lead = 7;
        else if (In(m, {10, 11}))
            lead = 5;
        else if (m == 15)
            lead = 4;
        else if (In(m, {18, 19, 21}))
            lead = 6, second = 3;
        else if (m == 20)
            lead = 5, second = 3;
        else if (In(m, {14, 22, 42}))
            landscape = 0, lead = 4;
        else if (In(m, {23, 24, 25, 26, 28, 33, 34}))
            landscape = 0;
        else if (In(m, {29, 30, 31, 32, 47, 48}))
            landscape = 0, lead = 1;
        else if (In(m, {43, 44}))
            landscape = 0, lead = 5;
        else if (In(m, {35, 36, 37, 38, 41}))
            landscape = 0, second = 6;
        else if (In(m, {39, 40}))
            landscape = 0, lead = 1, second = 6;
        const CReportPrintLayout layout = SetupPrintLayout(m);
        EXPECT_EQ(layout.landscape, landscape);
        EXPECT_EQ(layout.leadColumns, lead);
        EXPECT_EQ(layout.secondColumns, second);
        EXPECT_EQ(layout.rowsPerPage, landscape ? (second ? 11 : 18) : (second ? 18 : 28));
    }
}

TEST(ReportModesTest, OutsideTheListModesNothingIsOffered)
{
    for (int m : {-1, 0, 7, 49, 1000}) {
        const CReportModeInfo& info = ReportMode(m);
        EXPECT_FALSE(IsReportMode(m));
        EXPECT_EQ(GetReportModeInfo(m), nullptr);
        EXPECT_EQ(info.loader, EReportLoader::None);
        EXPECT_FALSE(info.closesPartners || info.handlesClosings || info.reloadsOnDataChange ||
                     info.selectsAll || info.ledger || info.opensReceipt);
        EXPECT_EQ(info.doubleClick, EReportDoubleClick::None);
        EXPECT_EQ(info.family, EReportFamily::None);
        EXPECT_EQ(info.statement, EReportStatement::None);
        EXPECT_EQ(info.amounts, EReportAmounts::None);
        EXPECT_EQ(info.deleteTable, nullptr);
        EXPECT_TRUE(GetReportModeTitle(m).isEmpty());
    }
}

} // namespace
