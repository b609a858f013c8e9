#pragma once

#include "platform/data/Mny.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class CCDSData;
class CMasterList;
struct CTradeSide;

// What the bulk edit dialog hands over after OK: the field and its new
// value ("Percent" the money value, the text fields the text, every other
// field value 1; "CollectCycle" the cycle in value 1 and the day in value 2).
struct CBulkEditResult {
    QString field;
    int value1 = -1;
    int value2 = -1;
    QString text;
    CMny money;
};

// The rules of the master list's writing commands on the selected rows
// (row numbers of the list, ascending): deletion under the usage rules and
// the bulk change with its closing-day and tax rules. Every batch of one
// command runs in one transaction: a failure leaves the database and the
// list as they were. Messages go through the prompt service.
class CMasterEditRules
{
  public:
    // Statements name at most this many IDs or codes; the unbilled-slip
    // check, whose terms are longer, at most kUnbilledBatch.
    static constexpr int kBatch = 250;
    static constexpr int kUnbilledBatch = 40;

    explicit CMasterEditRules(CMasterList& list);

    // "WHERE (ID=1) OR (ID=2) ..." per batch of `size` IDs.
    static QStringList IdBatchConditions(const QList<int>& ids, int size = kBatch);

    // True when the field of any selected record holds `value`; records
    // without the field do not count.
    bool AnySelectedHasValue(const QList<int>& rows, const QString& field, int value) const;

    // The term that finds a partner's slips of its side's slip table, which
    // its closing-day change looks at: those not yet billed when the partner
    // turns to per-slip billing, else all of them.
    static QString CloseDaySlipTerm(const CTradeSide& side, const QString& code, bool perSlip);

    // Whether the closing day of the selected partners may become `day`:
    // 1 accepted, 0 refused (the reason shown).
    int CheckCloseDayChange(const QList<int>& rows, int day);

    // True when a selected record is used in the slip tables of its kind or
    // the check failed, with the message (and whether it is the fatal one);
    // the caller shows it once its transaction is rolled back.
    bool IsUsedInSlips(const QList<int>& rows, QString& message, bool& fatal);

    // The delete command after its selection check: the question, the
    // usage check and the deletion, then the rows leave the list and the
    // total is counted again. 1 when deleted.
    int DeleteRows(const QList<int>& rows);

    // A confirmed bulk edit: its rules, the change of every selected record,
    // then the list is loaded again. 1 when changed.
    int BulkModify(const QList<int>& rows, const CBulkEditResult& edit);

    // "商品", "得意先" or "仕入先".
    QString GetPartnerWord() const;

  private:
    // The spelling the records keep of a classification value that code
    // page 932 writes alike ("¥100" and "\100"), put in `text`; `text`
    // stays when none holds it. False after a failed query (shown).
    bool StoredSpelling(const QString& field, QString& text);
    QList<int> SelectedIds(const QList<int>& rows) const;
    QStringList SelectedCodes(const QList<int>& rows) const;
    void Rollback();
    // Writes the request to each ID batch of the rows inside the open
    // transaction and commits; rolls back on any failure. Answers the
    // first failing result, else the commit's.
    int WriteIdBatches(const QList<int>& rows, CCDSData& request,
                       const std::function<int(CCDSData&, QString&)>& write, QString& err);
    // Shows a failed write (fatal, its text, or `failure` with advice);
    // true when it succeeded.
    bool ReportWrite(int result, const QString& err, const QString& failure);

    CMasterList& m_list;
};
