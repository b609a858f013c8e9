// The data library's closing interface, which reads its records into the
// closing service's typed calls.

#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/TradeSide.h"

#include <sqlite3.h>

#include <QHash>
#include <QSet>
#include <QStringBuilder>
#include <QStringList>

namespace
{

QString L(const char* text)
{
    return QString::fromLatin1(text);
}

// A field of a record of the closing interface: "Table.Field", else the
// bare name; none when missing or without value.
const CTb* FieldOf(const COneRecord& record, const QString& table, const char* name)
{
    const QString bare = QString::fromUtf8(name);
    const CTb* field = table.isEmpty() ? nullptr : record.GetOneField(table, bare);
    if (!field)
        field = record.GetOneField(QString(), bare);
    return field && !field->IsNull() ? field : nullptr;
}

QString TextOf(const COneRecord& record, const QString& table, const char* name)
{
    const CTb* field = FieldOf(record, table, name);
    return field ? field->GetText() : QString();
}

QDate DateOf(const COneRecord& record, const QString& table, const char* name)
{
    QDate value;
    if (const CTb* field = FieldOf(record, table, name))
        field->GetData(value);
    return value;
}

// An amount; without one, invalid (no value).
CMny MoneyOf(const COneRecord& record, const QString& table, const char* name)
{
    CMny value;
    const CTb* field = FieldOf(record, table, name);
    if (!field || !field->GetData(value))
        value.SetInvalid();
    return value;
}

// The typed closing of the records of Close_Sales: one candidate a header,
// in order, with its partner's tax slip and the figures its check showed.
// False, with the reason, when the records make none. An invalid date is
// the closing's to refuse.
bool CloseRequestOf(const CCDSData& headers, const CCDSData& taxSlips, const QDate& closeDate,
                    const CMakeMsgID::CCloseCheck* check, CCloseRequest& request, QString& err)
{
    const CTradeSide* side = CTradeSide::OfClosing(headers.m_strTable);
    if (!side ||
        (taxSlips.GetCount() > 0 && taxSlips.m_strTable.compare(L(side->header), Qt::CaseInsensitive) != 0)) {
        err = QStringLiteral("締め処理のテーブル指定が正しくありません。");
        return false;
    }
    request.side = side;
    request.closeDate = closeDate;
    if (!closeDate.isValid())
        return true;
    if (check && (check->shown.GetCount() != headers.GetCount() || check->statement.isEmpty())) {
        err = QStringLiteral("締め処理の確認内容が締める取引先と一致しません。");
        return false;
    }
    if (check)
        request.statement = check->statement;
    const QString& table = headers.m_strTable;
    QHash<QString, std::size_t> candidateOf;
    for (int i = 0; i < headers.GetCount(); ++i) {
        const COneRecord& header = *headers.GetAt(i);
        CCloseCandidate candidate;
        candidate.code = TextOf(header, table, side->code);
        candidate.number = TextOf(header, table, "No");
        // The run's closings share their date and rate.
        const QDate issued = DateOf(header, table, "Date");
        const CMny rate = MoneyOf(header, table, "TaxRate");
        if (i == 0) {
            request.issued = issued;
            request.taxRate = rate;
        } else if (issued != request.issued || rate != request.taxRate) {
            err = QStringLiteral("締め処理の締めの日付または税率が締めごとに異なります。");
            return false;
        }
        // Its due date as so many days after the closing; none given, the
        // closing falls due on its closing date.
        const QDate due = DateOf(header, table, "CollectDate");
        candidate.collectDay = due.isValid() ? int(closeDate.daysTo(due)) : 0;
        if (check) {
            const COneRecord& shown = *check->shown.GetAt(i);
            const QString bare;
            candidate.shown = {MoneyOf(shown, bare, side->prevBilled), MoneyOf(shown, bare, side->received),
                               MoneyOf(shown, bare, side->netAmount),  MoneyOf(shown, bare, RC_TAXABLE),
                               MoneyOf(shown, bare, RC_SLIP_TAX),      0};
            const CCloseFigures& f = candidate.shown;
            const CTb* counted = FieldOf(shown, bare, side->slipCount);
            if (!counted || !counted->GetData(candidate.shown.slips) || !f.prevBilled.IsValid() ||
                !f.received.IsValid() || !f.net.IsValid() || !f.taxable.IsValid() || !f.slipTax.IsValid()) {
                err = QStringLiteral("締め処理の確認内容が締める取引先と一致しません。");
                return false;
            }
        }
        candidateOf.insert(candidate.code.toLower(), request.candidates.size());
        request.candidates.push_back(candidate);
    }
    // One tax slip a partner at most, of a partner closed in the run.
    QSet<std::size_t> taxed;
    const QString& slips = taxSlips.m_strTable;
    for (int i = 0; i < taxSlips.GetCount(); ++i) {
        const COneRecord& slip = *taxSlips.GetAt(i);
        const QString who = TextOf(slip, slips, side->code);
        const auto found = candidateOf.constFind(who.toLower());
        if (found == candidateOf.cend()) {
            err = QStringLiteral("取引先「%1」の税額伝票に対応する締めがありません。").arg(who);
            return false;
        }
        if (taxed.contains(*found)) {
            err = QStringLiteral("取引先「%1」の税額伝票が二度指定されています。").arg(who);
            return false;
        }
        taxed.insert(*found);
        CCloseCandidate& candidate = request.candidates[*found];
        candidate.tax = MoneyOf(slip, slips, "Tax");
        candidate.company = TextOf(slip, slips, "Company");
        candidate.section = TextOf(slip, slips, "Section");
        candidate.name = TextOf(slip, slips, "Name");
    }
    return true;
}

// A field of an invoice work record as the data library reads one for its
// column: none when missing, without value, or a blank text of a column
// that holds no text.
const CTb* WorkField(const COneRecord& work, const char* column, bool text)
{
    const CTb* field = FieldOf(work, QStringLiteral("WShime_H"), column);
    if (field && !text && field->GetType() == CTb::kText && field->GetText().trimmed().isEmpty())
        return nullptr;
    return field;
}

// The typed invoice of a record of SetWShime; false, with the reason, for
// a value that its column cannot hold.
bool InvoiceOf(const COneRecord& work, CInvoiceHeader& invoice, QString& err)
{
    const auto refused = [&err](const char* column, const char* what) {
        err = QStringLiteral("「WShime_H.%1」に%2").arg(L(column), QString::fromUtf8(what));
        return false;
    };
    for (const auto& text : CInvoiceHeader::kTexts)
        if (const CTb* field = WorkField(work, text.name, true))
            invoice.*text.field = field->GetText();
    for (const auto& date : CInvoiceHeader::kDates)
        if (const CTb* field = WorkField(work, date.name, false);
            field && !field->GetData(invoice.*date.field))
            return refused(date.name, "日付でない値があります。");
    for (const auto& amount : CInvoiceHeader::kAmounts) {
        if (const CTb* field = WorkField(work, amount.name, false)) {
            CMny value;
            if (!field->GetData(value))
                return refused(amount.name, "金額として扱えない値があります。");
            invoice.*amount.field = value;
        }
    }
    if (const CTb* field = WorkField(work, "SalesCloseID", false); field && !field->GetData(invoice.closing))
        return refused("SalesCloseID", "整数でない値があります。");
    if (const CTb* field = WorkField(work, "DenpyoNum", false)) {
        int slips = 0;
        if (!field->GetData(slips))
            return refused("DenpyoNum", "整数でない値があります。");
        invoice.slips = slips;
    }
    return true;
}

} // namespace

int CMakeMsgID::Close_Sales(CCDSData& headers, CCDSData& taxSlips, const QDate& closeDate, QString& err,
                            CCloseCheck* check)
{
    if (check)
        check->changed.clear();
    if (!m_db)
        return NoConnection(err);
    CCloseRequest request;
    if (!CloseRequestOf(headers, taxSlips, closeDate, check, request, err))
        return kFailed;
    const CCloseOutcome closed = CClosingService(*this).Close(request);
    if (closed.refusal.IsDone()) {
        // A header left open keeps its ID as it came.
        const QString id = headers.m_strTable % QStringLiteral(".ID");
        for (int i = 0; i < headers.GetCount() && i < closed.ids.size(); ++i)
            if (closed.ids[i] != 0)
                headers.GetAt(i)->SetField(id, closed.ids[i]);
        if (check)
            check->changed = closed.changed;
    }
    return closed.refusal.Answer(err);
}

int CMakeMsgID::Reset_SalesClose(const CCDSData& closings, QString& err)
{
    if (!m_db)
        return NoConnection(err);
    // The side is the set's table, or else the table of its records' one
    // field; every record must name a closing of that side.
    QString table = closings.m_strTable;
    if (table.isEmpty() && closings.GetCount() > 0 && closings.GetAt(0)->GetCount() == 1)
        table = closings.GetAt(0)->GetAt(0)->GetName().section(u'.', 0, 0);
    const CTradeSide* side = CTradeSide::OfClosing(table);
    if (!side && table.isEmpty() && closings.GetCount() == 0)
        return kOk;
    QList<int> ids;
    for (int i = 0; side && i < closings.GetCount(); ++i) {
        const CTb* id = closings.GetAt(i)->GetOneField(table, QStringLiteral("ID"));
        if (!id && !closings.m_strTable.isEmpty())
            id = closings.GetAt(i)->GetOneField(QString(), QStringLiteral("ID"));
        if (!id) {
            side = nullptr;
            break;
        }
        int value = 0;
        id->GetData(value);
        ids << value;
    }
    if (!side) {
        err = QStringLiteral("締めの取り消しのテーブル指定が正しくありません。");
        return kFailed;
    }
    return CClosingService(*this).Undo(*side, ids).Answer(err);
}

int CMakeMsgID::DataMaintenance(const QDate& date, const QDate& previous, QString& err,
                                CCarryForwardCounts* counts, bool* balancesRemade)
{
    const CCarryForwardOutcome carried = CClosingService(*this).CarryForward(date, previous);
    if (counts)
        *counts = carried.counts;
    if (balancesRemade)
        *balancesRemade = carried.balancesRemade;
    return carried.refusal.Answer(err);
}

int CMakeMsgID::SetWShime(CCDSData& request, QString& err)
{
    if (!m_db)
        return NoConnection(err);
    const QStringList parts = request.m_strCondition.split(u',');
    const CTradeSide* side = parts.size() == 2 ? CTradeSide::OfClosing(parts[0].trimmed()) : nullptr;
    const QString flag = parts.value(1).trimmed();
    if (!side || (flag != QLatin1String("0") && flag != QLatin1String("1")) ||
        request.m_strTable.compare(QLatin1String("WShime_H"), Qt::CaseInsensitive) != 0) {
        err = QStringLiteral("請求書作成の条件が正しくありません。（%1）").arg(request.m_strCondition);
        return kFailed;
    }
    std::vector<CInvoiceHeader> invoices;
    for (int i = 0; i < request.GetCount(); ++i) {
        COneRecord& work = *request.GetAt(i);
        work.SetField(QStringLiteral("WShime_H.ID"), i + 1);
        invoices.emplace_back();
        if (!InvoiceOf(work, invoices.back(), err))
            return kFailed;
    }
    return CClosingService(*this).MakeInvoices(*side, invoices).Answer(err);
}
