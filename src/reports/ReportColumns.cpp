#include "reports/ReportColumns.h"

#include "platform/data/TradeSide.h"
#include "reports/ReportModes.h"

namespace
{

constexpr int L = 0;
constexpr int R = 1;
// Default widths: a tenth of the list, or fixed pixels.
constexpr int W = -1;

class Builder
{
  public:
    explicit Builder(const CReportColumnParams& params) : m_params(params) {}

    void Add(const QString& field, const QString& caption, int width, int alignment, int kind, int print)
    {
        const int position = int(m_columns.size());
        int pixels = width == W ? m_params.unitWidth : width;
        if (position < m_params.savedWidths.size())
            pixels = int(m_params.savedWidths[position]);
        m_columns.emplace_back(field, caption, pixels, alignment, kind, print);
    }
    void Add(const char* field, const char* caption, int width, int alignment, int kind, int print)
    {
        Add(QString::fromUtf8(field), QString::fromUtf8(caption), width, alignment, kind, print);
    }
    // An amount column of the summaries: caption = field unless given.
    void Amount(const char* field, const char* caption = nullptr)
    {
        Add(field, caption ? caption : field, W, R, CListColumnInfo::kTotalled, 14);
    }

    std::vector<CListColumnInfo> Take() { return std::move(m_columns); }

  private:
    const CReportColumnParams& m_params;
    std::vector<CListColumnInfo> m_columns;
};

const char* Pick(bool purchase, const char* sales, const char* purchases)
{
    return purchase ? purchases : sales;
}

void PartnerLead(Builder& b, bool purchase, int codePrint)
{
    b.Add(CTradeSide::Of(purchase).code, "コード", W, L, 1, codePrint);
    b.Add("Company_Section_Name", "名称", 250, L, 1, 0);
}

void ProductLead(Builder& b, int codePrint)
{
    b.Add("ItemCode", "品番", W, L, 1, codePrint);
    b.Add("ItemName", "品名", 250, L, 1, 0);
}

void SalesAmounts(Builder& b)
{
    for (const char* f : {"売上額", "値引額", "純売上額", "原価", "粗利益"})
        b.Amount(f);
    b.Amount("粗利率", "粗利率(％)");
    b.Amount("その他");
}

void PurchaseAmounts(Builder& b)
{
    for (const char* f : {"仕入額", "値引額", "純仕入額", "その他"})
        b.Amount(f);
}

void Closing(Builder& b, bool p, bool withCarry)
{
    b.Add("ID", "〆", 50, L, 6, 0);
    PartnerLead(b, p, 0);
    if (withCarry) {
        b.Add(Pick(p, "前回請求額", "前回未払額"), Pick(p, "前回請求額", "前回支払残高"), W, R, 3, 0);
        b.Add(Pick(p, "今回入金額", "今回支払額"), Pick(p, "今回入金額", "今回支払額"), W, R, 3, 0);
        b.Add("繰越額", "繰越額", W, R, 3, 0);
    }
    b.Add(Pick(p, "今回税抜売上額", "今回税抜仕入額"), Pick(p, "今回売上額", "今回仕入額"), W, R, 3, 0);
    b.Add("消費税", "外税額", W, R, 3, 0);
    b.Add(Pick(p, "今回売上額", "今回仕入額"), Pick(p, "今回請求額", "今回支払額"), W, R, 3, 0);
    b.Add(Pick(p, "納品枚数", "仕入枚数"), "伝票数", W, R, 1, 0);
}

void Schedule(Builder& b, bool p)
{
    b.Add("CollectDate", Pick(p, "入金予定日", "出金予定日"), W, R, 2, 10);
    b.Add("CloseDate", "請求日", W, R, 2, 10);
    b.Add("No", "伝票番号", W, L, 1, 20);
    b.Add(CTradeSide::Of(p).code, "コード", W, L, 1, 20);
    b.Add("Company_Section_Name", "名称", 250, L, 1, 0);
    if (!p)
        b.Add("Phoenic_Company_Name", "フリガナ", 150, L, 1, 0);
    b.Add(Pick(p, "今回売上額", "今回仕入額"), Pick(p, "入金予定額", "出金予定額"), W, R, 3, 14);
    b.Add("CollectType", Pick(p, "入金方法", "出金方法"), W, L, 1, 8);
    if (p) {
        b.Add("PaymentType", "区分", W, L, 6, 6);
        b.Add("振込み手数料", "手数料", W, R, 3, 14);
        b.Add("BankFee", "負担", W, L, 6, 14);
        b.Add("振込額", "振込金額", W, R, 3, 14);
    }
    b.Add("MyPerson", "自社担当者", W, L, 1, 30);
}

void Billed(Builder& b, bool p, bool withCarry)
{
    b.Add("Status", Pick(p, "入金", "出金"), 50, L, 6, 4);
    b.Add("CollectDate", Pick(p, "入金予定日", "出金予定日"), W, R, 2, 10);
    b.Add("CloseDate", "請求日", W, R, 2, 10);
    b.Add("No", "伝票番号", W, L, 1, 20);
    b.Add("TudoFlg", "区分", W, L, 6, 6);
    b.Add(CTradeSide::Of(p).code, "コード", W, L, 1, 20);
    b.Add("Company_Section_Name", "名称", 250, L, 1, 0);
    if (withCarry) {
        b.Add(Pick(p, "前回請求額", "前回未払額"), Pick(p, "前回請求額", "前回未払額"), W, R, 3, 14);
        b.Add(Pick(p, "今回入金額", "今回支払額"), Pick(p, "今回入金額", "今回支払額"), W, R, 3, 14);
        b.Add("繰越額", "繰越額", W, R, 3, 14);
    }
    b.Add(Pick(p, "今回税抜売上額", "今回税抜仕入額"), Pick(p, "今回売上額", "今回仕入額"), W, R, 3, 14);
    b.Add("消費税", "消費税", W, R, 3, 14);
    b.Add(Pick(p, "今回売上額", "今回仕入額"), Pick(p, "今回請求額", "今回支払額"), W, R, 3, 14);
    b.Add(Pick(p, "納品枚数", "仕入枚数"), "伝票数", W, R, 3, 14);
}

void Slips(Builder& b, bool p)
{
    b.Add("Date", "日付", W, R, 2, 10);
    b.Add("No", "伝票番号", W, L, 1, 20);
    PartnerLead(b, p, 20);
    b.Add("Amount", Pick(p, "入金額", "出金額"), W, R, 3, 14);
    if (!p)
        b.Add("Bill", "領収金額", W, R, 3, 14);
    b.Add("MyPerson", "自社担当者", W, L, 1, 30);
}

void SlipLines(Builder& b, bool p)
{
    b.Add("Date", "日付", W, R, 2, 10);
    b.Add("No", "伝票番号", W, L, 1, 20);
    PartnerLead(b, p, 20);
    b.Add("Code", Pick(p, "入金区分", "出金区分"), W, L, 1, 8);
    b.Add("Amount", Pick(p, "入金額", "出金額"), W, R, 3, 14);
    b.Add("Contents", "摘要", W, L, 1, 50);
    b.Add("DraftNo", "手形番号", W, L, 1, 10);
    b.Add("DraftDate", "手形期日", W, R, 2, 10);
    b.Add("MyPerson", "自社担当者", W, L, 1, 30);
}

void Details(Builder& b, const CReportModeInfo& info)
{
    const bool p = info.side.IsPurchases();
    // Sales lines and estimates show the cost beside the price.
    const bool withCost = !p;
    if (info.billedLines)
        b.Add("SeikyuID", "請求", 50, L, 6, 4);
    else
        b.Add("Status", info.mark == EReportRowMark::Concluded ? "成立" : "納品", 50, L, 6, 4);
    if (info.dueDate)
        b.Add("Limit", "納期", W, R, 2, 10);
    b.Add("Date", "日付", W, R, 2, 10);
    b.Add("No", "伝票番号", W, L, 1, 20);
    if (info.billedLines)
        b.Add("TudoFlg", "形態", W, L, 6, 6);
    PartnerLead(b, p, 20);
    b.Add("ItemType", "区分", W, L, 6, 6);
    // Only the sales lines print their product code.
    b.Add("ItemCode", "品番", W, L, 1, info.billedLines && !p ? 20 : 0);
    b.Add("ItemName", "品名", 250, L, 1, 0);
    b.Add("Number", "数量", W, R, 3, 14);
    b.Add("Unit", "単位", W, L, 1, 10);
    b.Add("Price", "単価", W, R, 3, 14);
    b.Add("TaxFlg", "税", 50, L, 6, 6);
    if (withCost) {
        b.Add("Cost", "原単価", W, R, 3, 14);
        b.Add("TaxFlg2", "税", 50, L, 6, 6);
    }
    b.Add("Amount", "金額", W, R, 3, 11);
    b.Add("Remarks", "備考", W, L, 1, 50);
}

void Ledger(Builder& b, bool p)
{
    b.Add("Date", "日付", W, R, 2, 10);
    b.Add("No", "伝票番号", W, L, 1, 20);
    b.Add("ItemType", "区分", W, L, 6, 6);
    b.Add("ItemCode", "品番", W, L, 1, 0);
    b.Add("ItemName", "品名", 250, L, 1, 0);
    b.Add("Number", "数量", W, R, 3, 14);
    b.Add("Unit", "単位", W, L, 1, 10);
    b.Add("Price", "単価", W, R, 3, 14);
    b.Add("TaxFlg", "税", 50, L, 6, 14);
    b.Add("Amount", Pick(p, "売上金額", "仕入金額"), W, R, 3, 14);
    b.Add("Receipt", Pick(p, "受入金額", "支払金額"), W, R, 3, 14);
    b.Add("残高", "残高", W, R, 3, 14);
}

void ModeColumns(Builder& b, const CReportColumnParams& params)
{
    using C = EReportColumns;
    const CReportModeInfo& info = ReportMode(params.mode);
    const bool p = info.side.IsPurchases();
    const bool withCarry = params.carryOver == 0;
    switch (info.columns) {
    case C::Closing:
        Closing(b, p, withCarry);
        break;
    case C::Schedule:
        Schedule(b, p);
        break;
    case C::Billed:
        Billed(b, p, withCarry);
        break;
    case C::Slips:
        Slips(b, p);
        break;
    case C::SlipLines:
        SlipLines(b, p);
        break;
    case C::SlipDetails:
        Details(b, info);
        break;
    case C::StockMoves:
        b.Add("Date", "日付", W, R, 2, 10);
        b.Add("No", "伝票番号", W, L, 1, 20);
        b.Add("ItemCode", "品番", W, L, 1, 0);
        b.Add("ItemName", "品名", 250, L, 1, 0);
        b.Add("Type", "区分", W, L, 6, 6);
        b.Add("InNumber", "入庫数", W, R, 3, 14);
        b.Add("OutNumber", "出庫数", W, R, 3, 14);
        b.Add("Memo", "摘要", W, L, 1, 14);
        break;
    case C::Balances:
        PartnerLead(b, p, 20);
        b.Add("前回残高", "前月残高", W, R, 3, 14);
        b.Add(Pick(p, "今回売上額", "今回仕入額"), Pick(p, "当月売上額", "当月仕入額"), W, R, 3, 14);
        b.Add(Pick(p, "今回入金額", "今回支払額"), Pick(p, "当月入金額", "当月支払額"), W, R, 3, 14);
        b.Add("今回残高", "当月残高", W, R, 3, 14);
        if (!p) {
            b.Add("Ceiling", "与信限度額", W, R, 3, 14);
            b.Add("限度残額", "限度残", W, R, 4, 14);
        }
        break;
    case C::PartnerTotals:
        PartnerLead(b, p, 20);
        p ? PurchaseAmounts(b) : SalesAmounts(b);
        break;
    case C::ProductSales:
        ProductLead(b, 0);
        for (const char* f : {"総売上数", "返品数"})
            b.Amount(f);
        b.Amount("純売上数", "売上数");
        for (const char* f : {"売上額", "値引額", "純売上額", "原価", "粗利益"})
            b.Amount(f);
        b.Amount("粗利率", "粗利率(％)");
        b.Amount("その他");
        break;
    case C::ProductPurchases:
        ProductLead(b, 0);
        for (const char* f : {"仕入数", "返品数", "仕入額", "値引額", "純仕入額"})
            b.Amount(f);
        break;
    case C::StaffTotals:
        b.Add("MyPerson", "自社担当者", W, L, 1, 0);
        p ? PurchaseAmounts(b) : SalesAmounts(b);
        break;
    case C::PeriodTotals:
        b.Add("期間", "期間", W, L, 2, 20);
        p ? PurchaseAmounts(b) : SalesAmounts(b);
        break;
    case C::Stock:
        ProductLead(b, 20);
        b.Add("在庫数", "現在庫数", W, R, 3, 14);
        b.Add("StockJustNumber", "適正在庫数", W, R, 3, 14);
        b.Add("過不足数", "過不足数", W, R, 4, 14);
        b.Add("Cost", "原単価", W, R, 3, 14);
        b.Add("在庫評価額", "在庫評価額", W, R, 3, 14);
        break;
    case C::StockInOut:
        ProductLead(b, 0);
        for (const char* f : {"前回在庫数", "今回仕入数", "今回出荷数", "調整数", "今回在庫数"})
            b.Amount(f);
        b.Add("最終出荷日", "最終出荷日", W, R, 2, 10);
        break;
    case C::Trend:
    case C::StockTrend: {
        if (info.ListsPartners())
            PartnerLead(b, p, 20);
        else if (info.partnerKind == EReportPartner::Staff)
            b.Add("MyPerson", "自社担当者", W, L, 1, 30);
        else
            ProductLead(b, 0);
        const QDate& start = params.periodStart;
        for (const QString& label :
             MakeMonthLabels(start.isValid() ? start.year() : 0, start.isValid() ? start.month() : 0))
            b.Add(label, label, W, R, 3, 14);
        if (info.columns != C::StockTrend)
            b.Amount("通期計");
        break;
    }
    case C::StockDetail:
        b.Add("Date", "日付", W, R, 2, 10);
        b.Add("No", "伝票番号", W, L, 1, 20);
        b.Add("タイプ", "区分", W, L, 6, 6);
        b.Add("Memo", "摘要", W, L, 1, 0);
        b.Add("InNum", "入庫数", W, R, 3, 14);
        b.Add("OutNum", "出庫数", W, R, 3, 14);
        b.Add("残高", "残数", W, R, 3, 14);
        break;
    case C::Ledger:
        Ledger(b, p);
        break;
    case C::SummarySheet:
        b.Add("内訳", "内訳", 250, L, 1, 50);
        b.Add("金額", "金額", W, R, 3, 14);
        break;
    case C::None:
        break;
    }
    if (info.classColumn && !params.classField.isEmpty())
        b.Add(params.classField, params.classTitle, W, info.loader == EReportLoader::Balance ? R : L,
              CListColumnInfo::kText, 0);
}

} // namespace

QStringList MakeMonthLabels(int year, int month)
{
    QStringList labels;
    if (month < 1 || month > 12)
        return labels;
    for (int i = 0; i < 12; ++i) {
        const int m = month - 1 + i;
        labels << QStringLiteral("%1/%2").arg(year + m / 12).arg(m % 12 + 1);
    }
    return labels;
}

std::vector<CListColumnInfo> BuildReportColumns(const CReportColumnParams& params)
{
    if (!GetReportModeInfo(params.mode))
        return {};
    Builder builder(params);
    ModeColumns(builder, params);
    return builder.Take();
}
