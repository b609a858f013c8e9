#pragma once

#include <QDate>
#include <QDialog>
#include <QString>
#include <QStringList>

#include "reports/ClassFilterRules.h"

class CBunruiData;
struct CReportRequest;
class QComboBox;
class QCheckBox;
class QDateEdit;
class QTreeWidget;

// The rules of the balance list conditions: validate everything, then write
// the list's conditions; a refusal leaves them as they were.
class CBalanceCondRules
{
  public:
    explicit CBalanceCondRules(int mode) : m_nMode(mode) {}

    int Ledger() const { return m_nMode == 2 ? 2 : 1; }
    // Takes the previous conditions (classification and flag).
    void Open(const CReportRequest& request, CBunruiData& data);
    // The refusal of the values, empty when OK may write them.
    QString Check() const;
    // After a successful check.
    void Store(CReportRequest& request) const;

    int m_nMode;
    QDate m_from;
    QDate m_to;
    int m_bWithoutTrade = 0;
    CClassFilterRules m_filter;
};

// "残高一覧表の条件設定": period and classification of the receivables (1)
// or payables (2) balance list.
class CBalanceListCondDlg : public QDialog
{
    Q_OBJECT

  public:
    // Opens on the conditions of `request` and writes them on OK.
    CBalanceListCondDlg(int mode, CReportRequest& request, QWidget* parent = nullptr);

    CBalanceCondRules& Rules() { return m_rules; }
    const CReportRequest& Request() const { return m_request; }
    // Shows the values set: the opener presets the period, then opens.
    void OnInitDialog();
    // Checks, then accepts.
    void OnOK();
    // However the dialog is accepted, the request takes what it shows.
    void accept() override;
    // Mirrors the rules into the widgets (after a test or a rule changed them).
    void ShowValues();

    QComboBox* ClassCombo() const { return m_pCombo; }
    QTreeWidget* ContentList() const { return m_pList; }

  private:
    void FillList();

    CReportRequest& m_request;
    CBalanceCondRules m_rules;
    QDateEdit* m_pFrom;
    QDateEdit* m_pTo;
    QCheckBox* m_pWithoutTrade;
    QComboBox* m_pCombo;
    QTreeWidget* m_pList;
    bool m_bShowing = false;
};
