#include "reports/LedgerList.h"

#include "platform/data/Record.h"
#include "reports/RecordFields.h"
#include "reports/ReportList.h"
#include "reports/ReportModes.h"

namespace
{

// The one-time partner's code: one full-width blank.
const QString kOneTimeCode = QStringLiteral("\u3000");

QString JoinedName(const QString& company, const QString& section, const QString& name)
{
    return QString(company + u' ' + section + u' ' + name).trimmed();
}

} // namespace

CLedgerHead FillLedgerRows(CReportList& list, CCDSData& head, CCDSData& rows)
{
    const int mode = list.GetMode();
    const bool stock = ReportMode(mode).ledger && ReportMode(mode).ListsProducts();
    std::vector<CListColumnInfo>& columns = list.Columns();
    for (CListColumnInfo& c : columns)
        c.m_GrandTotal = c.m_GroupTotal = CMny(0);
    list.ClearRows();

    CLedgerHead result;
    QString company, section, person, carriedText;
    CMny balance(0);
    for (int i = 0; i < head.GetCount(); ++i) {
        const COneRecord* record = head.GetAt(i);
        for (int f = 0; f < record->GetCount(); ++f) {
            const CTb* tb = record->GetAt(f);
            const QString name = tb->GetName().section(u'.', -1);
            if (name == Q("ItemCode") || name == Q("CustomerCode") || name == Q("SupplierCode")) {
                result.code = tb->GetText();
            } else if (name == Q("ItemName")) {
                result.name = tb->GetText();
            } else if (name == Q("Company")) {
                company = tb->GetText();
            } else if (name == Q("Section")) {
                section = tb->GetText();
            } else if (name == Q("Name")) {
                person = tb->GetText();
            } else if (name == Q("繰越数") || name == Q("前月繰越額")) {
                CMny value(0);
                if (tb->IsNull() || !tb->GetData(value))
                    value = CMny(0);
                balance = value;
                result.carried = value;
                carriedText = FormatAmount(value);
            }
        }
    }
    if (!stock)
        result.name = JoinedName(company, section, person);

    const int columnCount = int(columns.size());
    const int memoColumn = stock ? 3 : 4;
    const int balanceColumn = stock ? 6 : 11;
    auto newRow = [columnCount] {
        CReportRow row;
        for (int c = 0; c < columnCount; ++c)
            row.texts << QString();
        return row;
    };

    CReportRow carried = newRow();
    carried.record = head.GetCount() > 0 ? head.GetAt(head.GetCount() - 1) : nullptr;
    if (memoColumn < columnCount)
        carried.texts[memoColumn] = Q("繰越");
    if (balanceColumn < columnCount)
        carried.texts[balanceColumn] = carriedText;
    list.Rows().push_back(std::move(carried));

    const QString inField = Q(stock ? "InNum" : "Amount");
    const QString outField = Q(stock ? "OutNum" : "Receipt");
    const QString balanceField = Q("残高");
    for (int i = 0; i < rows.GetCount(); ++i) {
        COneRecord* record = rows.GetAt(i);
        const int type = IntOf(record, "タイプ");
        // Set, not appended: a refill must not leave a second field.
        if (stock && type < 3)
            record->SetField(Q("Memo"), JoinedName(TextOf(record, "Company"), TextOf(record, "Section"),
                                                   TextOf(record, "Name")));
        CMny sum(0), next(0);
        if (balance.Plus(MoneyOf(record, stock ? "InNum" : "Amount"), sum) == 1 &&
            sum.Minus(MoneyOf(record, stock ? "OutNum" : "Receipt"), next) == 1)
            balance = next;
        record->SetField(balanceField, balance);

        CReportRow row = newRow();
        row.record = record;
        row.data = i;
        if (columnCount > 0)
            if (const CTb* first = Field(record, columns[0].m_strField))
                row.texts[0] = first->GetText();
        for (int f = 0; f < record->GetCount(); ++f) {
            const CTb* tb = record->GetAt(f);
            const QString name = tb->GetName().section(u'.', -1);
            int column = -1;
            for (int c = 1; c < columnCount; ++c)
                if (columns[size_t(c)].m_strField == name) {
                    column = c;
                    break;
                }
            if (column < 0)
                continue;
            CListColumnInfo& info = columns[size_t(column)];
            QString text = tb->GetText();
            if (info.m_nKind == CListColumnInfo::kTotalled) {
                CMny value(0);
                if (tb->IsNull() || !tb->GetData(value))
                    value = CMny(0);
                // The balance shows 0; other zeros stay blank.
                text = value.IsZero() && name != balanceField ? QString() : FormatAmount(value);
                CMny total(0);
                if (info.m_GrandTotal.Plus(value, total) == 1)
                    info.m_GrandTotal = total;
            } else if (info.m_nKind == CListColumnInfo::kCoded) {
                int code = 0;
                text = tb->IsNull() || !tb->GetData(code)
                           ? QString()
                           : CReportList::CodeToText(code, type, name, list.IsPurchase());
            }
            row.texts[column] = text;
        }
        list.Rows().push_back(std::move(row));
    }

    CReportRow totals = newRow();
    totals.kind = CReportRow::kGrand;
    totals.data = 0;
    for (int c = 0; c < columnCount; ++c) {
        CListColumnInfo& info = columns[size_t(c)];
        const QString& key = info.m_strField;
        if (key == Q("ItemName") || key == Q("Memo")) {
            totals.texts[c] = Q("期間合計");
        } else if (key == inField || key == outField) {
            totals.texts[c] = FormatAmount(info.m_GrandTotal);
            info.m_GrandTotal = CMny(0);
        }
    }
    list.Rows().push_back(std::move(totals));

    result.partnerLabel =
        result.code == kOneTimeCode ? Q("諸口") : QStringLiteral("%1 %2").arg(result.code, result.name);
    return result;
}
