#pragma once

#include "slips/SlipListModel.h"

#include <QDate>
#include <QString>

#include <memory>

class CMakeMsgID;
struct CSlipMode;

// The slip list without its widgets: the mode of a view kind, the query
// (the default period or an extraction), the rows and the labels. The view
// shows it; tests and benchmarks drive it directly.
class CSlipList
{
  public:
    CSlipList(int viewKind, CMakeMsgID& data);
    ~CSlipList();
    CSlipList(const CSlipList&) = delete;
    CSlipList& operator=(const CSlipList&) = delete;

    int GetViewKind() const { return m_nViewKind; }
    // Null for a view kind outside 4-7.
    const CSlipMode* GetMode() const { return m_pMode; }
    QString GetHeaderTable() const;
    int GetSlipKind() const;
    CMakeMsgID& Data() { return m_data; }
    CSlipListModel& Model() { return m_model; }

    // The kind's column set; 0 when it is empty or cannot be read (message
    // shown).
    int InitColumns();
    int SaveColumns();

    // The default period ending today: the query, "from" and the label.
    void SetDefaultPeriod(const QDate& today);
    // An extraction's statement and its dates (null: open end).
    void SetExtraction(const QString& statement, const QDate& from, const QDate& to);
    bool IsExtracted() const { return m_bExtracted; }
    const QString& GetQueryText() const { return m_strQuery; }

    // The query into a fresh set and the model reset: 1, 0 after a failure
    // whose rows are shown anyway (message shown), -100 after the fatal
    // result (list empty).
    int Reload();

    QString GetPeriodLabel() const { return SlipPeriodLabelText(); }
    QString GetCountLabel() const;
    // The field name the sort key uses for a column.
    QString SortKey(int column) const;
    // A header click: the direction alternates on every click, the first ascending.
    void SortByColumn(int column);

  private:
    QString SlipPeriodLabelText() const;

    int m_nViewKind;
    const CSlipMode* m_pMode;
    CMakeMsgID& m_data;
    CSlipListModel m_model;
    QString m_strQuery;
    bool m_bExtracted = false;
    QString m_strFrom, m_strTo;
    bool m_bSortDesc = false;
};

// The fatal data-access message (stop icon).
void ShowSlipFatalMessage();
