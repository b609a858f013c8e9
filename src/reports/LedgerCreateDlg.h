#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include <functional>

class CCDSData;
class CMainFrame;
struct CReportRequest;
class CViewRegistry;
class QDateEdit;
class QLabel;
class QLineEdit;

// The rules of the ledger dialog without widgets: the period and the
// partner or product of a customer ledger (43, 45), a supplier ledger (44,
// 46) or the stock in/out detail of one product (42).
class CLedgerCreateRules
{
  public:
    // The master look-up: 1 with the matching records in `result`, 0 when
    // the query failed.
    using Lookup =
        std::function<int(const QString& table, const QString& field, const QString& code, CCDSData& result)>;

    // Without a look-up, the frame's duplicate-code check is asked.
    explicit CLedgerCreateRules(Lookup lookup = {});

    QString Caption() const;
    QString CodeLabel() const;
    QString Table() const;
    QString CodeField() const;
    // The code list's switch (" /C", " /S", " /G").
    QString ToolSwitch() const;
    bool IsProduct() const;

    // The code edit was left: looks the code up and shows the name; false
    // (message shown, name emptied) when it was not found.
    bool LookupCode();
    // "諸口": the one-time partner.
    void SetOneTime();
    // The code list answered: wParam 0 (product) or 1, 2 (partner) with a
    // code; any other wParam changes nothing. True when the code was taken.
    bool TakeToolAnswer(int wParam, const QString& code);
    // True when the dialog may close; a refusal has been shown.
    bool OnOK();

    int m_nMode = 1;
    int m_bFound = 0;
    QDate m_from;
    QDate m_to;
    QString m_strCode;
    QString m_strName;

  private:
    Lookup m_lookup;
};

// "得意先元帳の作成", "仕入先元帳の作成", "入出庫明細の作成". The opener sets
// the mode and the period in the rules, then calls OnInitDialog.
class CLedgerCreateDlg : public QDialog
{
    Q_OBJECT

  public:
    explicit CLedgerCreateDlg(int mode, QWidget* parent = nullptr, CLedgerCreateRules::Lookup lookup = {});

    CLedgerCreateRules& Rules() { return m_rules; }
    void OnInitDialog();

    void OnReference();
    void OnCodeLeft();
    void OnOneTime();
    void OnCodeChosen(int wParam, const QString& code);
    void OnOK();

    QLineEdit* CodeEdit() const { return m_pCode; }
    QLineEdit* NameEdit() const { return m_pName; }
    QDateEdit* FromEdit() const { return m_pFrom; }
    QDateEdit* ToEdit() const { return m_pTo; }
    QLabel* CodeLabel() const { return m_pCodeLabel; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ReadValues();
    void ShowValues();

    CLedgerCreateRules m_rules;
    QDateEdit* m_pFrom;
    QDateEdit* m_pTo;
    QLabel* m_pCodeLabel;
    QLineEdit* m_pCode;
    QLineEdit* m_pName;
    bool m_bLooking = false;
};

// Runs the dialog of `mode` over from..to; on OK its period, code and name
// become the request's ledger conditions. True on OK.
bool AskLedgerConditions(CReportRequest& request, int mode, const QDate& from, const QDate& to);

// The menu screen's ledger commands (ID_CUSTOMER_LEDGER, ID_SUPPLIER_LEDGER):
// the dialog on this month, then the ledger list on OK.
void RegisterLedgerCommands(CViewRegistry& registry);
