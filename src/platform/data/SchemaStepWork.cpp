#include "platform/data/SchemaStepWork.h"

#include <QHash>
#include <QStringBuilder>

#include <sqlite3.h>

#include <span>

namespace SchemaStepWork
{

namespace
{

QString Q(const char* name)
{
    return u'"' % QString::fromLatin1(name) % u'"';
}

// ---- indexes ------------------------------------------------------------------

// An index as a step makes it.
struct IndexAt {
    const char* name;
    const char* table;
    const char* columns; // "A,B,C"
    bool unique = false;
};

QString Create(const IndexAt& ix)
{
    QStringList columns;
    for (const QString& c : QString::fromLatin1(ix.columns).split(u','))
        columns << Q(c.toLatin1().constData());
    return QStringLiteral("CREATE ") % (ix.unique ? QStringLiteral("UNIQUE ") : QString()) %
           QStringLiteral("INDEX ") % Q(ix.name) % QStringLiteral(" ON ") % Q(ix.table) % u'(' %
           columns.join(u',') % u')';
}

// The statements that give the file the indexes `made`: each it lacks is
// made, each it has with other columns is dropped and made again, and each
// of `retired` it has is dropped. Indexes named in neither are left alone.
QStringList Indexes(sqlite3* db, std::span<const IndexAt> made, std::span<const char* const> retired)
{
    QHash<QString, QString> existing; // name -> columns
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT m.name, (SELECT group_concat(name, ',') FROM "
                           "(SELECT name FROM pragma_index_info(m.name) ORDER BY seqno)) "
                           "FROM sqlite_master m WHERE m.type = 'index' AND m.sql IS NOT NULL",
                           -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            existing.insert(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))),
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))));
    }
    sqlite3_finalize(statement);
    QStringList work;
    for (const char* name : retired)
        if (existing.contains(QLatin1String(name)))
            work << QStringLiteral("DROP INDEX ") % Q(name);
    for (const IndexAt& ix : made) {
        const auto found = existing.constFind(QLatin1String(ix.name));
        if (found != existing.cend() && found->compare(QLatin1String(ix.columns), Qt::CaseInsensitive) == 0)
            continue;
        if (found != existing.cend())
            work << QStringLiteral("DROP INDEX ") % Q(ix.name);
        work << Create(ix);
    }
    return work;
}

// The builds before version 2 made their indexes as the schema had them at
// the time: some are missing, some have other columns, and the product's
// lines by date were two indexes of their own. Version 2 has these, and not
// those two.
constexpr IndexAt kIndexesOfVersion2[] = {
    {"ux_customer_code", "Customer", "CustomerCode", true},
    {"ix_customer_day", "Customer", "Day"},
    {"ux_supplier_code", "Supplier", "SupplierCode", true},
    {"ix_supplier_day", "Supplier", "Day"},
    {"ux_item_code", "Item", "ItemCode", true},
    {"ix_item_stocktype", "Item", "StockType"},
    {"ix_item_supplier", "Item", "SupplierCode"},
    {"ix_sales_h_code_seikyu", "Sales_H", "CustomerCode,SeikyuID,Date,Total,DenpyoType,Amount,Tax,TaxType"},
    {"ix_sales_h_seikyu", "Sales_H",
     "SeikyuID,CustomerCode,Date,DenpyoType,Total,Amount,Tax,TaxType,AmountNoTax"},
    {"ix_sales_h_date", "Sales_H", "Date,ID,CustomerCode,SeikyuID,DenpyoType,Total,Amount,Tax,TaxType"},
    {"ix_sales_h_person", "Sales_H", "MyPerson,Date"},
    {"ix_sales_b_header", "Sales_B", "HeaderID,LineNo,ItemType,Amount,IncludeTax,Amount2,IncludeTax2,Date"},
    {"ix_sales_b_item", "Sales_B", "ItemCode,Date,ItemType,Number,Amount,IncludeTax,Amount2,IncludeTax2"},
    {"ix_sales_b_date", "Sales_B", "Date,ItemType,TaxFlg,HeaderID,Amount,IncludeTax,Amount2,IncludeTax2"},
    {"ix_sales_b_code", "Sales_B", "CustomerCode,Date,ItemType,Amount,IncludeTax,Amount2,IncludeTax2"},
    {"ix_stock_h_code_seikyu", "Stock_H", "SupplierCode,SeikyuID,Date,Total,DenpyoType,Amount,Tax,TaxType"},
    {"ix_stock_h_seikyu", "Stock_H",
     "SeikyuID,SupplierCode,Date,DenpyoType,Total,Amount,Tax,TaxType,AmountNoTax"},
    {"ix_stock_h_date", "Stock_H", "Date,ID,SupplierCode,SeikyuID,DenpyoType,Total,Amount,Tax,TaxType"},
    {"ix_stock_h_person", "Stock_H", "MyPerson,Date"},
    {"ix_stock_b_header", "Stock_B", "HeaderID,LineNo,ItemType,Amount,IncludeTax,Date"},
    {"ix_stock_b_item", "Stock_B", "ItemCode,Date,ItemType,Number,Amount,IncludeTax"},
    {"ix_stock_b_date", "Stock_B", "Date,ItemType,TaxFlg,HeaderID,Amount,IncludeTax"},
    {"ix_stock_b_code", "Stock_B", "SupplierCode,Date,ItemType,Amount,IncludeTax"},
    {"ix_estimate_h_date", "Estimate_H", "Date"},
    {"ix_estimate_h_code", "Estimate_H", "CustomerCode"},
    {"ix_estimate_b_header", "Estimate_B", "HeaderID,LineNo"},
    {"ix_estimate_b_item", "Estimate_B", "ItemCode"},
    {"ix_estimate_b_code", "Estimate_B", "CustomerCode"},
    {"ix_order_h_date", "Order_H", "Date"},
    {"ix_order_h_code", "Order_H", "SupplierCode"},
    {"ix_order_b_header", "Order_B", "HeaderID,LineNo"},
    {"ix_order_b_item", "Order_B", "ItemCode"},
    {"ix_order_b_code", "Order_B", "SupplierCode"},
    {"ix_receipt_h_code_seikyu", "Receipt_H", "CustomerCode,SeikyuID,Date,Amount"},
    {"ix_receipt_h_seikyu", "Receipt_H", "SeikyuID,CustomerCode,Amount"},
    {"ix_receipt_h_closeid", "Receipt_H", "CloseID"},
    {"ix_receipt_h_date", "Receipt_H", "Date,CustomerCode,SeikyuID,Amount"},
    {"ix_receipt_b_header", "Receipt_B", "HeaderID,LineNo"},
    {"ix_pay_h_code_seikyu", "Pay_H", "SupplierCode,SeikyuID,Date,Amount"},
    {"ix_pay_h_seikyu", "Pay_H", "SeikyuID,SupplierCode,Amount"},
    {"ix_pay_h_closeid", "Pay_H", "CloseID"},
    {"ix_pay_h_date", "Pay_H", "Date,SupplierCode,SeikyuID,Amount"},
    {"ix_pay_b_header", "Pay_B", "HeaderID,LineNo"},
    {"ix_sales_close_code_date", "Sales_Close", "CustomerCode,CloseDate"},
    {"ix_sales_close_closedate", "Sales_Close", "CloseDate,CustomerCode"},
    {"ix_sales_close_status_collect", "Sales_Close", "Status,CollectDate,CustomerCode,CloseDate"},
    {"ix_stock_close_code_date", "Stock_Close", "SupplierCode,CloseDate"},
    {"ix_stock_close_closedate", "Stock_Close", "CloseDate,SupplierCode"},
    {"ix_stock_close_status_collect", "Stock_Close", "Status,CollectDate,SupplierCode,CloseDate"},
    {"ix_stockchange_item_date", "StockChange", "ItemCode,Date,InNumber,OutNumber"},
    {"ix_stockchange_date", "StockChange", "Date"},
    {"ix_bank_b_header", "Bank_B", "HeaderID"},
    {"ix_wreceipt_b_header", "WReceipt_B", "HeaderID"},
    {"ix_wbank_b_header", "WBank_B", "HeaderID"},
    {"ix_wshime_b_header", "WShime_B", "HeaderID"},
    {"ix_wmotocho_b_header", "WMotocho_B", "HeaderID"},
};
// The product's lines by date: the index by product leads with the date.
constexpr const char* kRetiredAtVersion2[] = {"ix_sales_b_item_date", "ix_stock_b_item_date"};

// A closing and its undo change a slip's SeikyuID: an index of the partner
// code holding it was changed twice a slip. The partner's slips of a period
// are read by code and date.
constexpr IndexAt kPartnerIndexesOfVersion4[] = {
    {"ix_sales_h_code", "Sales_H", "CustomerCode,Date,Total,DenpyoType,Amount,Tax,TaxType"},
    {"ix_stock_h_code", "Stock_H", "SupplierCode,Date,Total,DenpyoType,Amount,Tax,TaxType"},
    {"ix_receipt_h_code", "Receipt_H", "CustomerCode,Date,Amount"},
    {"ix_pay_h_code", "Pay_H", "SupplierCode,Date,Amount"},
};
constexpr const char* kRetiredAtVersion4[] = {"ix_sales_h_code_seikyu", "ix_stock_h_code_seikyu",
                                              "ix_receipt_h_code_seikyu", "ix_pay_h_code_seikyu"};

// ---- booked balances ----------------------------------------------------------

// A side's balance table, its partner code, and the slip and money headers
// whose booked rows it adds up.
struct BookedSide {
    const char* table;
    const char* code;
    const char* slips;
    const char* money;
};
constexpr BookedSide kBookedSides[] = {
    {"Sales_Booked", "CustomerCode", "Sales_H", "Receipt_H"},
    {"Stock_Booked", "SupplierCode", "Stock_H", "Pay_H"},
};

// A row `row` counts when it is booked to a closing and has a code.
QString Booked(const BookedSide& s, const QString& row)
{
    return row % QStringLiteral(".SeikyuID > 0 AND ") % row % u'.' % Q(s.code) %
           QStringLiteral(" IS NOT NULL");
}

// What a booked slip adds: its amount, and its tax when the slip carries it
// (tax types 2 to 4) or is a tax slip.
QString SlipAmount(const QString& row)
{
    return QStringLiteral(
               "(COALESCE(%1.Amount, 0) + COALESCE(iif(%1.TaxType BETWEEN 2 AND 4 OR %1.DenpyoType <> 0, "
               "%1.Tax, 0), 0))")
        .arg(row);
}

QString MoneyAmount(const QString& row)
{
    return QStringLiteral("-COALESCE(%1.Amount, 0)").arg(row);
}

struct BookingHeader {
    const char* table;
    QString (*amount)(const QString& row);
    const char* changed; // the columns an update can change the balance by
};

QList<BookingHeader> HeadersOf(const BookedSide& s)
{
    return {{s.slips, SlipAmount, "SeikyuID, %1, Amount, Tax, TaxType, DenpyoType"},
            {s.money, MoneyAmount, "SeikyuID, %1, Amount"}};
}

QString TriggerName(const char* table, const char* event)
{
    return u'"' %
           QStringLiteral("tr_%1_booked_%2").arg(QString::fromLatin1(table).toLower(), QLatin1String(event)) %
           u'"';
}

// Adds `amount` to the balance of the row's code when the row counts; the
// code's row is made on its first amount.
QString Add(const BookedSide& s, const QString& row, const QString& amount)
{
    return QStringLiteral("INSERT INTO %1(%2, \"Balance\") SELECT %3.%2, %4 WHERE %5 ON CONFLICT(%2) "
                          "DO UPDATE SET \"Balance\" = \"Balance\" + excluded.\"Balance\";")
        .arg(Q(s.table), Q(s.code), row, amount, Booked(s, row));
}

QStringList BookedBalances(const BookedSide& s)
{
    const QString r = QStringLiteral("R"), added = QStringLiteral("NEW"), taken = QStringLiteral("OLD");
    QStringList work;
    for (const BookingHeader& h : HeadersOf(s))
        for (const char* event : {"ins", "del", "upd"})
            work << QStringLiteral("DROP TRIGGER IF EXISTS ") % TriggerName(h.table, event);
    work << QStringLiteral("DROP TABLE IF EXISTS ") % Q(s.table)
         << QStringLiteral(
                "CREATE TABLE %1 (\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT, %2 TEXT COLLATE NOCASE "
                "NOT NULL UNIQUE, \"Balance\" MONEY NOT NULL DEFAULT 0)")
                .arg(Q(s.table), Q(s.code));
    // Each header summed by code first, so that only a few rows a code meet
    // where the sums of both are merged.
    QStringList sums;
    for (const BookingHeader& h : HeadersOf(s))
        sums << QStringLiteral(
                    "SELECT R.%1 AS code, SUM(%2) AS v FROM %3 AS R WHERE %4 GROUP BY R.%1 COLLATE BINARY")
                    .arg(Q(s.code), h.amount(r), Q(h.table), Booked(s, r));
    work << QStringLiteral(
                "INSERT INTO %1(%2, \"Balance\") SELECT code, SUM(v) FROM (%3) GROUP BY code COLLATE "
                "NOCASE")
                .arg(Q(s.table), Q(s.code), sums.join(QStringLiteral(" UNION ALL ")));
    for (const BookingHeader& h : HeadersOf(s)) {
        const QString on = Q(h.table);
        const QString add = Add(s, added, h.amount(added));
        const QString takeAway = Add(s, taken, QStringLiteral("-(%1)").arg(h.amount(taken)));
        work << QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 WHEN %3 BEGIN %4 END")
                    .arg(TriggerName(h.table, "ins"), on, Booked(s, added), add)
             << QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON %2 WHEN %3 BEGIN %4 END")
                    .arg(TriggerName(h.table, "del"), on, Booked(s, taken), takeAway)
             << QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE OF %2 ON %3 WHEN (%4) OR (%5) BEGIN %6 %7 END")
                    .arg(TriggerName(h.table, "upd"), QString::fromLatin1(h.changed).arg(Q(s.code)), on,
                         Booked(s, taken), Booked(s, added), takeAway, add);
    }
    return work;
}

} // namespace

QStringList IndexesOfVersion2(sqlite3* db)
{
    return Indexes(db, kIndexesOfVersion2, kRetiredAtVersion2);
}

QStringList BookedBalancesOfVersion3(sqlite3*)
{
    QStringList work;
    for (const BookedSide& side : kBookedSides)
        work << BookedBalances(side);
    return work;
}

QStringList PartnerIndexesOfVersion4(sqlite3* db)
{
    return Indexes(db, kPartnerIndexesOfVersion4, kRetiredAtVersion4);
}

} // namespace SchemaStepWork
