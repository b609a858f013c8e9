#include "reports/ReportList.h"
#include "reports/ReportLoaders.h"

#include "platform/data/MnyText.h"
#include "platform/data/RecordCompare.h"
#include "platform/data/TradeSide.h"
#include "platform/tax/TaxRate.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "reports/RecordFields.h"
#include "reports/ReportModes.h"

#include <algorithm>
#include <numeric>

namespace
{

const QString kNoTable;

} // namespace

QString FormatAmount(const CMny& value, int digits)
{
    if (!value.IsValid())
        return QString();
    if (digits < 0)
        return MnyToGroupedText(value);
    CMny fixed;
    if (value.Round(fixed, CMny::kRoundHalfUp, digits) != 1 || fixed.Rescale(digits, fixed) != 1)
        return MnyToGroupedText(value);
    const qint64 v = fixed.GetValue();
    const quint64 magnitude = v < 0 ? quint64(0) - quint64(v) : quint64(v);
    QString text = QString::number(magnitude);
    if (digits > 0) {
        text = text.rightJustified(digits + 1, u'0');
        text.insert(text.size() - digits, u'.');
    }
    return InsertThousandsSeparators((v < 0 ? QStringLiteral("-") : QString()) + text);
}

bool ComputeMargin(const CMny& gross, const CMny& net, CMny& margin)
{
    if (net.IsZero()) {
        margin = CMny(0);
        return true;
    }
    // The ratio of two money values: both carry their decimals.
    CMny ratio;
    if (gross.Divide(net, ratio, CMny::kRoundHalfUp, 3) != 1)
        return false;
    return ratio.Multiply(CMny(100), margin, CMny::kRoundHalfUp, 1) == 1;
}

void CReportList::SetMode(int mode)
{
    m_nMode = mode;
    const CReportModeInfo* info = GetReportModeInfo(mode);
    if (info && info->side.IsPurchases())
        m_bPurchase = 1;
}

void CReportList::SetRecords(CCDSData&& records)
{
    m_rows.clear();
    m_Records = std::move(records);
    m_bComputed = false;
}

void CReportList::KeepClosedRecords(std::vector<std::unique_ptr<COneRecord>> closed)
{
    if (closed.empty())
        return;
    const QString code = QString::fromLatin1(CTradeSide::Of(m_bPurchase != 0).code);
    const auto before = [&code](const COneRecord* a, const COneRecord* b) {
        return TextOf(a, code).compare(TextOf(b, code), Qt::CaseInsensitive) < 0;
    };
    std::stable_sort(closed.begin(), closed.end(),
                     [&before](const auto& a, const auto& b) { return before(a.get(), b.get()); });
    // Both runs are in code order, as the candidates' statement sorts them:
    // a closed row goes before the first candidate whose code sorts after it.
    std::vector<std::unique_ptr<COneRecord>> loaded;
    for (int i = m_Records.GetCount() - 1; i >= 0; --i)
        loaded.push_back(m_Records.TakeAt(i));
    std::reverse(loaded.begin(), loaded.end());
    auto next = closed.begin();
    for (std::unique_ptr<COneRecord>& record : loaded) {
        for (; next != closed.end() && before(next->get(), record.get()); ++next)
            m_Records.Add(std::move(*next));
        m_Records.Add(std::move(record));
    }
    for (; next != closed.end(); ++next)
        m_Records.Add(std::move(*next));
    m_rows.clear();
    m_bComputed = false;
}

void CReportList::ClearRecords()
{
    m_rows.clear();
    m_Records.Clear();
    m_bComputed = false;
}

int CReportList::VisibleColumnCount() const
{
    int count = int(std::count_if(m_columns.begin(), m_columns.end(),
                                  [](const CListColumnInfo& c) { return c.IsShown(); }));
    if (IsGrouping() && HasClassColumn(m_nMode) && !m_cond.classField.isEmpty() && count > 0)
        --count;
    return count;
}

void CReportList::Fail(const QString& text) const
{
    UiServices::Prompt().MessageBox(text);
}

QString CReportList::DisplayName(COneRecord* record) const
{
    const QString code = TextOf(record, CTradeSide::Of(m_bPurchase != 0).code);
    QString name = GetCompanySectionName(record, kNoTable);
    if (name.isEmpty() && IsBlankString(code))
        name = QStringLiteral("諸口");
    return name;
}

void CReportList::SetDisplayName(COneRecord* record)
{
    // The lines of one slip show one name: they share its text.
    const QString name = DisplayName(record);
    if (m_displayName.IsNull() || m_displayName.GetText() != name)
        m_displayName = name;
    record->SetField(QStringLiteral("Company_Section_Name"), m_displayName);
}

int CReportList::CalcRowAmounts(COneRecord* record)
{
    m_strCurrentCode.clear();
    const CReportModeInfo& info = ReportMode(m_nMode);
    const QString partnerCode = QString::fromLatin1(CTradeSide::Of(m_bPurchase != 0).code);
    if (info.ListsPartners()) {
        m_strCurrentCode = TextOf(record, partnerCode);
        SetDisplayName(record);
    } else if (info.ListsProducts()) {
        m_strCurrentCode = TextOf(record, QStringLiteral("ItemCode"));
    }
    if (info.loader == EReportLoader::Schedule && TextOf(record, partnerCode) == QStringLiteral("　"))
        record->SetField(QStringLiteral("CollectType"), m_cond.collectTypeText);
    if (info.readingName)
        record->SetField(QStringLiteral("Phoenic_Company_Name"), GetReadingName(record, kNoTable));

    const QString& prefix = m_strCurrentCode;
    const QString netName =
        (m_bPurchase ? QStringLiteral("今回税抜仕入額") : QStringLiteral("今回税抜売上額"));
    CMny carry, net, tax;
    if (info.amounts == EReportAmounts::Closing) {
        CMny fraction;
        if (m_TaxRate.Divide(CMny(100), fraction, CMny::kRoundTruncate, 2) != 1) {
            Fail(QStringLiteral("消費税率の取得ができませんでした。"));
            return 0;
        }
        carry = MoneyOf(record, QStringLiteral("繰越額"));
        net = MoneyOf(record, netName);
        const CMny taxable = MoneyOf(record, QStringLiteral("今回課税対象額"));
        const CMny slipTax = MoneyOf(record, QStringLiteral("今回算出済み税額"));
        int roundType = IntOf(record, QStringLiteral("TaxRoundType"));
        // An unknown rounding truncates rather than stopping the whole list.
        if (roundType < CMny::kRoundTruncate || roundType > CMny::kRoundUp)
            roundType = CMny::kRoundTruncate;
        // A row closed in this screen keeps its closing through a reload.
        if (IntOf(record, QStringLiteral("ID")) == 0) {
            record->SetField(QStringLiteral("ID"), 0);
            record->SetField(QStringLiteral("Status"), 0);
        }
        CMny taxAtClosing;
        if (taxable.Multiply(fraction, taxAtClosing, roundType, 0) != 1) {
            Fail(prefix + QStringLiteral("の消費税の計算ができません。制限桁数を超えた可能性があります。"));
            return 0;
        }
        record->SetField(QStringLiteral("締め時点税額"), taxAtClosing);
        if (taxAtClosing.Plus(slipTax, tax) != 1) {
            Fail(prefix + QStringLiteral("の消費税額が計算できません。制限桁数を超えた可能性があります。"));
            return 0;
        }
        record->SetField(QStringLiteral("消費税"), tax);
    } else if (info.amounts == EReportAmounts::Billed) {
        carry = MoneyOf(record, QStringLiteral("繰越額"));
        net = MoneyOf(record, netName);
        tax = MoneyOf(record, QStringLiteral("消費税"));
    }
    if (info.amounts == EReportAmounts::Closing || info.amounts == EReportAmounts::Billed) {
        CMny sales, billed;
        if (net.Plus(tax, sales) != 1) {
            Fail(prefix + QStringLiteral("の売上額が計算できません。制限桁数を超えた可能性があります。"));
            return 0;
        }
        if (m_nCarryOver == 0) {
            if (sales.Plus(carry, billed) != 1) {
                Fail(prefix +
                     QStringLiteral("の今回請求額が計算できません。制限桁数を超えた可能性があります。"));
                return 0;
            }
        } else {
            billed = sales;
        }
        record->SetField((m_bPurchase ? QStringLiteral("今回仕入額") : QStringLiteral("今回売上額")), billed);
    }
    if (info.amounts == EReportAmounts::Margin) {
        CMny margin;
        if (!ComputeMargin(MoneyOf(record, QStringLiteral("粗利益")),
                           MoneyOf(record, QStringLiteral("純売上額")), margin)) {
            Fail(prefix +
                 QStringLiteral("の粗利益（÷）が計算できません。制限桁数を超えた可能性があります。"));
            return 0;
        }
        record->SetField(QStringLiteral("粗利率"), margin);
    }
    if (info.amounts == EReportAmounts::StockValue) {
        CMny value;
        if (MoneyOf(record, QStringLiteral("Cost"))
                .Multiply(MoneyOf(record, QStringLiteral("在庫数")), value, CMny::kRoundTruncate, 0) != 1) {
            Fail(QStringLiteral("計算できません"));
            return 0;
        }
        record->SetField(QStringLiteral("在庫評価額"), value);
    }
    return 1;
}

std::shared_ptr<const CReportCells> CReportList::Cells() const
{
    auto cells = std::make_shared<CReportCells>();
    cells->mode = m_nMode;
    cells->purchase = m_bPurchase != 0;
    cells->classField = m_cond.classField;
    cells->periodShape = m_cond.periodShape;
    cells->columns.reserve(m_columns.size());
    for (const CListColumnInfo& c : m_columns)
        cells->columns.push_back({c.m_strField, c.m_nKind});
    return cells;
}

const CTb* CReportCells::Amount(const COneRecord* record, int column, bool* hasAmount, CMny* amount) const
{
    const Column& info = columns[size_t(column)];
    const CTb* tb = Field(record, info.field);
    if (!tb || (info.field == classField && !classField.isEmpty()) ||
        (info.kind != CListColumnInfo::kTotalled && info.kind != CListColumnInfo::kAmountNoTotal))
        return tb;
    CMny value(0);
    if (!tb->IsNull() && !tb->GetData(value))
        value = CMny(0);
    *amount = value;
    if (hasAmount && (BlankZeros() || !value.IsZero()))
        *hasAmount = true;
    return tb;
}

QString CReportCells::Text(const COneRecord* record, int column, int context) const
{
    const Column& info = columns[size_t(column)];
    CMny value;
    value.SetInvalid();
    const CTb* tb = Amount(record, column, nullptr, &value);
    if (!tb)
        return QString();
    if (value.IsValid()) {
        if (BlankZeros() && value.IsZero())
            return QString();
        return FormatAmount(value, info.field == QStringLiteral("粗利率") ? 1 : -1);
    }
    if (info.kind == CListColumnInfo::kCoded && info.field != classField) {
        int code = 0;
        if (!tb->GetData(code))
            return QString();
        return CReportList::CodeToText(code, context, info.field, purchase);
    }
    return tb->GetText();
}

QStringList CReportCells::RowTexts(const COneRecord* record) const
{
    const int count = int(columns.size());
    QStringList texts;
    texts.reserve(count);
    if (count > 0) {
        const Column& lead = columns[0];
        const CTb* tb = Field(record, lead.field);
        QString text;
        if (lead.kind == CListColumnInfo::kCoded) {
            // The lead code is the row's mark, not a text.
        } else if (lead.kind == CListColumnInfo::kDate && ReportMode(mode).periodRows && periodShape == 1) {
            QDate date;
            if (tb && tb->GetData(date))
                text = date.toString(QStringLiteral("yyyy年MM月"));
            else if (tb)
                text = tb->GetText();
        } else if (tb) {
            text = tb->GetText();
        }
        texts << text;
    }
    for (int c = 1; c < count; ++c)
        texts << Text(record, c, 0);
    return texts;
}

bool CReportCells::BlankZeros() const
{
    return ReportMode(mode).blankZeros;
}

const QStringList& CRowTexts::Get() const
{
    if (m_cells) {
        m_texts = m_cells->RowTexts(m_record);
        m_cells.reset();
    }
    return m_texts;
}

bool CReportList::FillList(const QDate& closingDate)
{
    const CReportModeInfo& info = ReportMode(m_nMode);
    if (info.amounts == EReportAmounts::Closing) {
        qint64 value = 0;
        int scale = 0;
        if (!closingDate.isValid() || ::GetTaxRate(closingDate.year(), closingDate.month(), closingDate.day(),
                                                   TaxRate::kConsumptionTax, &value, &scale) == 0) {
            Fail(QStringLiteral("消費税率の取得に失敗しました。"));
            return false;
        }
        m_TaxRate = CMny(value, scale);
    }
    m_rows.clear();
    m_Subtotals.RemoveAll();
    for (CListColumnInfo& c : m_columns)
        c.m_GroupTotal = c.m_GrandTotal = CMny(0);
    if (!m_cond.classField.isEmpty())
        MoveUngroupedRecordsLast();

    const bool grouping = IsGrouping();
    const std::shared_ptr<const CReportCells> cells = Cells();
    const int columns = int(m_columns.size());
    QString previous = QStringLiteral("　");
    bool started = false;
    int first = 0, kept = 0, insertRow = 0;
    for (int i = 0; i < m_Records.GetCount();) {
        COneRecord* record = m_Records.GetAt(i);
        if (grouping) {
            const QString value = TextOf(record, m_cond.classField);
            if (value != previous && started && kept > first) {
                AddSubtotalRow(0, insertRow++, previous, first);
                first = kept;
            }
            started = true;
            previous = value;
        }
        if (!m_bComputed && CalcRowAmounts(record) == 0)
            return false;

        CReportRow row;
        row.record = record;
        row.texts.MakeLater(cells, record);
        bool checked = false;
        if (columns > 0) {
            const CListColumnInfo& lead = m_columns[0];
            const CTb* tb = Field(record, lead.m_strField);
            if (lead.m_strField == QStringLiteral("CustomerCode") ||
                lead.m_strField == QStringLiteral("SupplierCode"))
                m_strCurrentCode = tb ? tb->GetText() : QString();
            if (lead.m_nKind == CListColumnInfo::kCoded) {
                int code = 0;
                checked = tb && tb->GetData(code) && code != 0;
            }
        }
        bool hasAmount = false;
        for (int c = 1; c < columns; ++c) {
            CMny amount;
            amount.SetInvalid();
            cells->Amount(record, c, &hasAmount, &amount);
            if (amount.IsValid()) {
                CListColumnInfo& info = m_columns[size_t(c)];
                CMny sum;
                if (info.m_GroupTotal.Plus(amount, sum) == 1)
                    info.m_GroupTotal = sum;
                if (info.m_GrandTotal.Plus(amount, sum) == 1)
                    info.m_GrandTotal = sum;
            }
        }
        if (!hasAmount && (m_cond.tradedOnly || info.periodRows)) {
            m_Records.RemoveAt(i);
            continue;
        }
        ++kept;
        ++i;
        if (!grouping) {
            row.mark = checked ? 1 : 0;
            m_rows.insert(m_rows.begin() + insertRow, std::move(row));
            // The one-time partner's rows stay below all others.
            if (!(info.blankCodeLast && IsBlankString(m_strCurrentCode)))
                ++insertRow;
        }
    }
    if (grouping) {
        if (kept > first)
            AddSubtotalRow(0, insertRow++, previous, first);
        AddSubtotalRow(1, insertRow, QStringLiteral("総合"), kept);
        if (!m_cond.classTotalsOnly)
            ExpandAllGroups();
    }
    m_strCountText = ReportCountText(m_nMode, m_Records.GetCount());
    m_bComputed = true;
    return true;
}

int CReportList::AddSubtotalRow(int grand, int row, const QString& group, int first)
{
    COneRecord* record = m_Subtotals.AddNew();
    const QString caption =
        QStringLiteral("＜%1計＞").arg(group.isEmpty() ? QStringLiteral("分類なし") : group);
    CReportRow subtotal;
    subtotal.kind = grand ? CReportRow::kGrand : CReportRow::kSubtotal;
    subtotal.data = first;
    subtotal.mark = grand ? -1 : 0;
    subtotal.texts.resize(int(m_columns.size()));
    subtotal.texts[0] = caption;
    CMny net(0), gross(0);
    for (const CListColumnInfo& c : m_columns) {
        const CMny& total = grand ? c.m_GrandTotal : c.m_GroupTotal;
        if (c.m_strField == QStringLiteral("純売上額"))
            net = total;
        else if (c.m_strField == QStringLiteral("粗利益"))
            gross = total;
    }
    for (int p = 0; p < int(m_columns.size()); ++p) {
        CListColumnInfo& c = m_columns[size_t(p)];
        if (p == 0)
            record->SetField(c.m_strField, caption);
        CMny total = grand ? c.m_GrandTotal : c.m_GroupTotal;
        if (c.m_strField == QStringLiteral("粗利率") && !ComputeMargin(gross, net, total))
            total = CMny(0);
        if (c.m_nKind == CListColumnInfo::kTotalled) {
            record->SetField(c.m_strField, total);
            subtotal.texts[p] = FormatAmount(total, c.m_strField == QStringLiteral("粗利率") ? 1 : -1);
            if (!grand)
                c.m_GroupTotal = CMny(0);
        }
    }
    m_rows.insert(m_rows.begin() + std::clamp(row, 0, int(m_rows.size())), std::move(subtotal));
    return 1;
}

bool CReportList::InsertGroupRows(int row, int from, int to)
{
    const int columns = int(m_columns.size());
    to = std::min(to, m_Records.GetCount());
    const std::shared_ptr<const CReportCells> cells = Cells();
    std::vector<CReportRow> details;
    for (int k = std::max(from, 0); k < to; ++k) {
        COneRecord* record = m_Records.GetAt(k);
        if (ReportMode(m_nMode).ListsPartners())
            SetDisplayName(record);
        CReportRow detail;
        detail.kind = CReportRow::kDetail;
        detail.record = record;
        detail.data = k;
        detail.texts.resize(columns);
        if (columns > 0)
            detail.texts[0] = TextOf(record, m_columns[0].m_strField);
        for (int c = 1; c < columns; ++c)
            detail.texts[c] = cells->Text(record, c, 1);
        details.push_back(std::move(detail));
    }
    row = std::clamp(row, 0, int(m_rows.size()));
    m_rows.insert(m_rows.begin() + row, std::make_move_iterator(details.begin()),
                  std::make_move_iterator(details.end()));
    return true;
}

void CReportList::ExpandAllGroups()
{
    const int n = int(m_rows.size());
    for (int i = n - 2; i >= 0; --i) {
        const int from = m_rows[size_t(i)].data;
        const int to = i == n - 2 ? m_Records.GetCount() : m_rows[size_t(i) + 1].data;
        InsertGroupRows(i + 1, from, to);
        m_rows[size_t(i)].mark = 1;
    }
}

void CReportList::CollapseGroup(int row)
{
    while (row + 1 < int(m_rows.size()) - 1 && m_rows[size_t(row) + 1].kind == CReportRow::kDetail)
        m_rows.erase(m_rows.begin() + row + 1);
    if (row >= 0 && row < int(m_rows.size()))
        m_rows[size_t(row)].mark = 0;
}

void CReportList::MoveUngroupedRecordsLast()
{
    // The statements order empty classifications first; they go last, in
    // their order.
    const int count = m_Records.GetCount();
    for (int step = 0; step < count; ++step) {
        if (!TextOf(m_Records.GetAt(0), m_cond.classField).isEmpty())
            break;
        m_Records.Add(m_Records.TakeAt(0));
    }
}

QString CReportList::CodeToText(int code, int context, const QString& field, bool purchase)
{
    // The texts are literals: a coded column is read for every row of a list.
    auto pick = [code](std::initializer_list<std::pair<int, QString>> table) {
        for (const auto& [value, text] : table)
            if (value == code)
                return text;
        return QString();
    };
    if (field == QLatin1StringView("TudoFlg"))
        return pick({{0, QStringLiteral("都度")}, {1, QStringLiteral("締め")}});
    if (field == QLatin1StringView("PaymentType"))
        return pick({{0, QStringLiteral("文書")}, {1, QStringLiteral("電信")}});
    if (field == QLatin1StringView("BankFee"))
        return pick({{0, QStringLiteral("先方")}, {1, QStringLiteral("当方")}});
    if (field.contains(QLatin1StringView("TaxFlg")))
        return pick({{0, QStringLiteral("非")}, {1, QStringLiteral("外")}, {2, QStringLiteral("内")}});
    if (field == QLatin1StringView("ItemType")) {
        if (context == 2)
            return purchase ? QStringLiteral("支払") : QStringLiteral("入金");
        return pick({{1, purchase ? QStringLiteral("仕入") : QStringLiteral("売上")},
                     {2, QStringLiteral("値引")},
                     {3, QStringLiteral("その他")},
                     {9, QStringLiteral("消費税")}});
    }
    if (field == QLatin1StringView("Type"))
        return pick({{0, QStringLiteral("出庫")}, {1, QStringLiteral("入庫")}});
    if (field == QStringView(u"タイプ"))
        return pick({{1, QStringLiteral("売上")},
                     {2, QStringLiteral("仕入")},
                     {3, QStringLiteral("調整")},
                     {4, QStringLiteral("棚卸")}});
    return QString();
}

bool CReportList::IsWarningRow(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return false;
    const CReportRow& r = m_rows[size_t(row)];
    if (!r.record || r.kind == CReportRow::kSubtotal || r.kind == CReportRow::kGrand)
        return false;
    switch (ReportMode(m_nMode).warning) {
    case EReportWarning::StockShortage:
        return MoneyOf(r.record, QStringLiteral("過不足数")) < CMny(0);
    case EReportWarning::CreditLimit:
        return !MoneyOf(r.record, QStringLiteral("Ceiling")).IsZero() &&
               MoneyOf(r.record, QStringLiteral("限度残額")) < CMny(0);
    case EReportWarning::None:
        break;
    }
    return false;
}

int CReportList::FindRow(const QString& text, bool down, int start) const
{
    const int columns = int(m_columns.size());
    for (int row = start; row >= 0 && row < int(m_rows.size()); row += down ? 1 : -1) {
        const QStringList& texts = m_rows[size_t(row)].texts;
        for (int c = 0; c < columns && c < texts.size(); ++c)
            if (texts[c].contains(text, Qt::CaseSensitive))
                return row;
    }
    return -1;
}

void CReportList::SortRows(int column, bool descending)
{
    if (column < 0 || column >= int(m_columns.size()))
        return;
    const QString key = u'.' + m_columns[size_t(column)].m_strField;
    std::vector<CRecordSortKey> keys;
    keys.reserve(m_rows.size());
    for (const CReportRow& row : m_rows)
        keys.push_back(MakeRecordSortKey(row.record, key));
    std::vector<size_t> order(m_rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int c = CompareSortKeys(keys[a], keys[b]);
        return descending ? c > 0 : c < 0;
    });
    std::vector<CReportRow> sorted;
    sorted.reserve(m_rows.size());
    for (size_t i : order)
        sorted.push_back(std::move(m_rows[i]));
    m_rows.swap(sorted);
}
