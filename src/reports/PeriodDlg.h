#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

class QCheckBox;
class QDateEdit;
class QLabel;
class QRadioButton;

// The rules of the period dialog, without widgets: a range whose ends may be
// left open, twelve months from a month, or a daily or monthly breakdown.
class CPeriodRules
{
  public:
    CPeriodRules(int option, bool monthly) : m_nOption(option), m_bMonthly(monthly) {}

    // On opening: the monthly form and a monthly breakdown move the dates.
    void Open();
    // 0 daily: from the 1st of the from month to the end of the to month;
    // 1 monthly: both to the 1st of their months.
    void SetBreakdown(int breakdown);
    // Twelve months: a new from date moves the to date and the reverse.
    void FromChanged(const QDate& from);
    void ToChanged(const QDate& to);
    // The refusal of the values, empty when they may be taken. Only the
    // bounds in use are held against the last carry-forward: an unticked
    // picker is disabled and could not be changed to pass.
    QString Check(const QDate& lastCarryForward) const;
    // After a successful check: the monthly form ends eleven months on.
    void Finish();

    static QDate ElevenMonthsOn(const QDate& from);
    static QDate ElevenMonthsBack(const QDate& to);

    int m_nOption;
    bool m_bMonthly;
    QDate m_from;
    QDate m_to;
    int m_bNoStart = 0;
    int m_bNoEnd = 0;
    int m_nBreakdown = 0;
};

// "期間の指定".
class CPeriodDlg : public QDialog
{
    Q_OBJECT

  public:
    CPeriodDlg(int option, bool monthly, QWidget* parent = nullptr);

    CPeriodRules& Rules() { return m_rules; }
    // Read by the check of OK; invalid when never carried forward.
    QDate m_dtLastCarryForward;

    QDateEdit* FromEdit() const { return m_pFrom; }
    QDateEdit* ToEdit() const { return m_pTo; }
    QCheckBox* NoStartCheck() const { return m_pNoStart; }
    QCheckBox* NoEndCheck() const { return m_pNoEnd; }
    QRadioButton* DailyRadio() const { return m_pDaily; }
    QRadioButton* MonthlyRadio() const { return m_pMonthly; }

    // Shows the values set: the callers set them, then open the dialog.
    void OnInitDialog();
    void OnOK();

  private:
    void ShowValues();
    void PlaceDatePickers();

    CPeriodRules m_rules;
    QDateEdit* m_pFrom;
    QDateEdit* m_pTo;
    QCheckBox* m_pNoStart;
    QCheckBox* m_pNoEnd;
    QRadioButton* m_pDaily;
    QRadioButton* m_pMonthly;
    QLabel* m_pPrompt;
    QLabel* m_pHint;
    QLabel* m_pTilde;
    bool m_bShowing = false;
};
