#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include "reports/ClassFilterRules.h"

class CBunruiData;
struct CReportRequest;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QRadioButton;
class QTreeWidget;

// The rules of the aggregation conditions: period (twelve months in the
// monthly form), classification, grouping and filter with their enabling.
// Everything is checked before the classification contents are written.
class CSyukeiCondRules
{
  public:
    CSyukeiCondRules(int ledger, bool monthly, bool showEnd)
        : m_nLedger(ledger), m_bMonthly(monthly), m_bShowEnd(showEnd)
    {
    }

    // Takes the previous conditions of the list.
    void Open(const CReportRequest& request, CBunruiData& data);
    void SelectEntry(int entry);
    void SetFilter(bool on);
    void SetGroupByClass(bool on);
    // Monthly form: each end follows the other, twelve months apart.
    void FromChanged(const QDate& from);
    void ToChanged(const QDate& to);
    // The refusal of the values, empty when OK may write them. A period
    // that does not start after the last carry-forward is refused.
    QString Check(const QDate& lastCarryForward) const;
    // After a successful check: the monthly end, then the period, the
    // classification with its contents, grouping, totals-only and filter
    // into the request (traded-only and quantities are the opener's to take).
    void Finish();
    void Store(CReportRequest& request) const;

    int m_nLedger;
    bool m_bMonthly;
    bool m_bShowEnd;
    QDate m_from;
    QDate m_to;
    int m_bGroupByClass = 0;
    int m_bTotalsOnly = 0;
    int m_bFilter = 0;
    int m_bTradedOnly = 0;
    int m_nQuantity = 0;
    bool m_bGroupEnabled = false;
    bool m_bTotalsEnabled = false;
    bool m_bFilterEnabled = false;
    bool m_bListEnabled = false;
    CClassFilterRules m_filter;
};

// "条件設定": period and classification of the aggregations, transitions
// and stock lists, over the conditions of a list: it opens on them, checks
// against their last carry-forward and writes them on OK.
class CSyukeiCondDlg : public QDialog
{
    Q_OBJECT

  public:
    CSyukeiCondDlg(CReportRequest& request, int ledger, bool monthly, bool showEnd,
                   QWidget* parent = nullptr);

    CSyukeiCondRules& Rules() { return m_rules; }
    const CReportRequest& Request() const { return m_request; }
    void OnInitDialog();
    // Checks, then accepts.
    void OnOK();
    // However the dialog is accepted, the request takes what it shows.
    void accept() override;
    void ShowValues();

    QComboBox* ClassCombo() const { return m_pCombo; }
    QTreeWidget* ContentList() const { return m_pList; }
    QDateEdit* ToEdit() const { return m_pTo; }
    QRadioButton* QuantityRadio() const { return m_pQuantity; }

  private:
    CReportRequest& m_request;
    CSyukeiCondRules m_rules;
    QDateEdit* m_pFrom;
    QDateEdit* m_pTo;
    QLabel* m_pPeriodLabel;
    QLabel* m_pTilde;
    QComboBox* m_pCombo;
    QCheckBox* m_pGroup;
    QCheckBox* m_pTotals;
    QCheckBox* m_pFilter;
    QCheckBox* m_pTraded;
    QRadioButton* m_pAmount;
    QRadioButton* m_pQuantity;
    QTreeWidget* m_pList;
    bool m_bShowing = false;
};
