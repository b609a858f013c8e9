#pragma once

#include "master/MasterListModel.h"
#include "platform/data/MasterKinds.h"

#include <QString>

#include <memory>

class CExCondition;
class CMasterDb;
class COneRecord;

// The master list without its widgets: the ledger, the classification
// filter or the active extraction, the query, the rows (the model), the
// total count and the count line. The view shows it; tests and benchmarks
// drive it directly.
class CMasterList
{
  public:
    CMasterList(const CMasterKind& kind, CMasterDb& db);
    ~CMasterList();
    CMasterList(const CMasterList&) = delete;
    CMasterList& operator=(const CMasterList&) = delete;

    const CMasterKind& GetKind() const { return m_kind; }
    QString GetTableName() const { return m_kind.Table(); }
    QString GetCodeFieldName() const { return m_kind.CodeField(); }
    CMasterDb& Db() { return m_db; }
    CMasterListModel& Model() { return m_model; }
    const CMasterListModel& Model() const { return m_model; }

    // The classification filter: title 0 none, 1-5 "Class1".."Class5",
    // -1 nothing chosen; the chosen value (empty for none).
    void SetFilter(int title, const QString& value);
    int GetFilterTitle() const { return m_nFilterTitle; }
    const QString& GetFilterValue() const { return m_strFilterValue; }
    // The active extraction (not owned; null for none). It takes the place
    // of the filter.
    void SetExtraction(const CExCondition* condition) { m_pExtraction = condition; }
    bool IsExtracted() const { return m_pExtraction != nullptr; }

    // The condition tail of the query: the extraction's statement from its
    // first "WHERE" or the classification filter, then the order. False for
    // an extraction statement without "WHERE", which is never run.
    bool BuildCondition(QString& condition) const;

    // The query into a new set, then the total count. 1 on success, else 0
    // (the message shown, the new set empty). The rows stay on the old set
    // until FillList.
    int LoadList();
    // The rows from the loaded set; the number of rows.
    int FillList();
    // With `query` LoadList then FillList, else FillList alone.
    int Reload(bool query);

    // The number of records of the table but the one-time partner; 0 after
    // a failure (message shown).
    int LoadTotalCount();
    int GetTotalCount() const { return m_nTotal; }
    // "件数 : rows ／ total件", "抽出件数" while an extraction is active.
    QString GetCountLine() const;

    // The kind's display columns into the model; 0 when they cannot be read
    // (the list then has none).
    int LoadColumns();
    // Stores the model's column widths in the display settings.
    int SaveColumns();

    // A header click: the direction alternates on every click, the first
    // ascending. False for a column beyond the set.
    bool SortByColumn(int column);

    // A record the entry dialogs saved: the listed record of the same "ID"
    // is overwritten (its row refreshed, or shown on top when it had none),
    // else a copy is added to the set as the first row and counted. The
    // list's record; null, after "レコードIDが不明です", for a record
    // without "ID". `added` tells whether a row was added on top.
    COneRecord* UpdateRecord(const COneRecord& record, bool* added = nullptr);

  private:
    const CMasterKind& m_kind;
    CMasterDb& m_db;
    CMasterListModel m_model;
    std::shared_ptr<CCDSData> m_pLoaded;
    const CExCondition* m_pExtraction = nullptr;
    int m_nFilterTitle = 0;
    QString m_strFilterValue;
    int m_nTotal = 0;
    bool m_bSortDesc = false;
};
