#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

class CMainFrame;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;

// The closing chosen in the closing options: either the partners of one
// closing day in a month, or every unbilled slip up to a date.
class CCloseInvoiceRules
{
  public:
    enum { kByClosingDay = 0, kUpToDate = 1 };
    static constexpr int kDayCount = 32;

    // The list's texts and days: "月末締" (99), then 5, 10, 15, 20, 25 and
    // the other days ascending; an index outside the list gives 99.
    static QString DayText(int index);
    static int DayOfIndex(int index);
    // The index of a day; a day outside 1-31 gives "月末締".
    static int IndexOfDay(int day);
    // The index that a "CLOSEDAY.AUT" text selects.
    static int IndexOfSetting(const QString& text);

    // Forms the closing: false (nothing set) when the chosen day does not
    // exist in the month.
    bool Form(QDate& closingDate, int& closingDay) const;

    int m_nOption = kByClosingDay;
    int m_nDayIndex = 0;
    QDate m_dtMonth; // the month of the closing day (the 1st)
    QDate m_dtUpTo;  // the date up to which slips are closed
    int m_bShowAll = 0;
};

// The closing options dialog: invoices (mode 0) or payment statements
// (mode 1). On OK the frame holds the closing date and closing day.
class CCloseInvoiceDlg : public QDialog
{
    Q_OBJECT

  public:
    CCloseInvoiceDlg(int mode, CMainFrame& frame, QWidget* parent = nullptr);

    CCloseInvoiceRules& Rules() { return m_rules; }
    QComboBox* DayList() const { return m_pDay; }
    QDateEdit* MonthEdit() const { return m_pMonth; }
    QDateEdit* UpToEdit() const { return m_pUpTo; }
    void SetOption(int option);

    void accept() override;

  private:
    void Store();

    int m_nMode;
    CMainFrame& m_frame;
    CCloseInvoiceRules m_rules;
    QButtonGroup* m_pOption;
    QComboBox* m_pDay;
    QDateEdit* m_pMonth;
    QDateEdit* m_pUpTo;
    QCheckBox* m_pShowAll;
};

// The frame's commands that ask the closing options and show the closing
// candidates: invoices (list 8) or payment statements (list 9).
void OnCloseInvoiceCommand(CMainFrame& frame, int mode);
