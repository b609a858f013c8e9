#pragma once

#include "settings/QXColSet.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class COneRecord;
class CTb;

// What a slip list of one view kind shows and works on.
struct CSlipMode {
    int viewKind;             // 4 quotes, 5 sales, 6 orders, 7 purchases
    const char* header;       // "Estimate_H" ...
    int slipKind;             // the slip-form program's kind: 1, 2, 4, 5
    const char16_t* title;    // window-title suffix
    int columnSet;            // 3-6
    const char* partner;      // "CustomerCode" or "SupplierCode"
    const char* partnerTable; // "Customer" or "Supplier"
    const char* closing;      // "Sales_Close", "Stock_Close" or null
    const char* body;         // "Estimate_B" ...
    int helpId;               // 0 for none
};

// The mode of a view kind; null outside 4-7.
const CSlipMode* GetSlipMode(int viewKind);
// The mode of a header table; null for any other table.
const CSlipMode* GetSlipModeOfTable(const QString& header);

// A field of a slip row, whether its name carries the table or not.
const CTb* SlipField(const COneRecord* record, const QString& field);
QString SlipFieldText(const COneRecord* record, const QString& field);
bool SlipFieldInt(const COneRecord* record, const QString& field, int& value);

// The text a slip list shows in a column: TaxType and TudoFlg in words
// (unknown values empty), "Company_Section_Name" the joined partner names,
// "Total", "Amount" and "Tax" with thousands separators, every other field
// its own text. The first column shows no text (see GetSlipCheckState).
// `hints` (one per column, -1 at first) remember where each column's field
// stood in the last record, as the records of one query share their layout.
QString GetSlipCellText(const CQXColSet& columns, const COneRecord* record, int column,
                        std::vector<int>* hints = nullptr);
// The field's text before the list's display rules ("TaxType", "TudoFlg" as words).
QString GetSlipValueText(const COneRecord* record, const QString& field);
// Whether the row is ticked: the first column's text is neither "0" nor
// empty; on the order list (view kind 6) only "1" ticks.
bool GetSlipCheckState(int viewKind, const CQXColSet& columns, const COneRecord* record);

// "期間 : 指定なし" or "期間 : from～to"; "件数 : n件".
QString SlipPeriodLabel(const QString& from, const QString& to);
QString SlipCountLabel(int count);
// A date as the labels write it: "2004/5/25"; empty for an invalid date.
QString SlipLabelDate(const QDate& date);

// The ID conditions of a batched write: "WHERE ID IN (...)", at most
// `batch` IDs each, in the given order; `field` names another ID column
// ("WHERE HeaderID IN (...)" for the lines of slips).
QStringList MakeIdConditions(const QList<qint64>& ids, int batch = 250,
                             const QString& field = QStringLiteral("ID"));

// The new Status of a status change over the selected rows' values: 1
// (成立) when the zeros are at least as many as the others, else 0.
int DecideNewStatus(const QList<int>& statuses);

// One slip of a batch print: its ID, form file and print layout (0: none).
struct CBatchSlip {
    qint64 id = 0;
    QString fileName;
    long layout = 0;
};
// The passes of a batch print, one per layout in the order the layouts
// first appear; slips without a layout are in none.
struct CBatchPass {
    long layout = 0;
    QList<CBatchSlip> slips;
};
QList<CBatchPass> PlanBatchPrint(const QList<CBatchSlip>& slips);
