#pragma once

#include <QDate>
#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

class CMainFrame;
class CMakeMsgID;
struct CCarryForwardCounts;
class QDateEdit;
class QLabel;
class QTableWidget;

// The rules of the carry-forward dialog, without widgets.
class CKurikoshiRules
{
  public:
    struct StatusRow {
        QString kind;
        int count = 0;
        QString oldest, newest;
    };

    // "前回の繰越日：…" for the stored date, "なし" without one.
    static QString PreviousText(const QDate& previous);
    // The day after the last carry-forward, or the last day of the month
    // before today's.
    static QDate ProposedDate(const QDate& previous, const QDate& today);
    // The refusal of a date, empty when it may be carried forward to.
    static QString Check(const QDate& date, const QDate& previous, const QDate& today);
    // The message of a backup result; empty for 1 (go on).
    static QString BackupMessage(int result);
    // How much each kind of data holds, with the total row last. 1, or the
    // library's failure (message shown; `rows` empty).
    static int LoadStatus(CMakeMsgID& db, QList<StatusRow>& rows);
    // What a carry-forward to `date` did: how much it took out of the
    // books, or that no closing qualified and why (the closings up to the
    // date are counted for that).
    static QString DoneMessage(CMakeMsgID& db, const QDate& date, const CCarryForwardCounts& counts);
};

// "データベースの繰越処理": shows the data held, checks the date, backs the
// database up and carries it forward.
class CKurikoshiDlg : public QDialog
{
    Q_OBJECT

  public:
    explicit CKurikoshiDlg(CMainFrame& frame, QWidget* parent = nullptr);

    // The backup before the carry-forward; the frame's by default.
    std::function<int()> m_backup;

    QDateEdit* DateEdit() const { return m_pDate; }
    QLabel* PreviousLabel() const { return m_pPrevious; }
    QTableWidget* StatusList() const { return m_pStatus; }

    void FillStatusList();
    void OnStart();

  private:
    CMainFrame& m_frame;
    QDate m_dtPrevious;
    QDateEdit* m_pDate;
    QLabel* m_pPrevious;
    QTableWidget* m_pStatus;
};

// The menu screen's carry-forward: the dialog, then the calendar reloaded.
void OnCarryForwardCommand(CMainFrame& frame);
