#pragma once

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QString>

class QDateEdit;
class QLabel;

// "日付の設定": one date under a prompt line. The picker starts at today;
// OK writes the picked day at 00:00 into the caller's target, Cancel
// writes nothing.
class CDateSetDlg : public QDialog
{
    Q_OBJECT

  public:
    explicit CDateSetDlg(QDateTime* target, QWidget* parent = nullptr);

    // The line above the picker; set by the opener before running.
    void SetPrompt(const QString& prompt);
    const QString& GetPrompt() const { return m_strPrompt; }

    QDateEdit* DateEdit() const { return m_pDate; }
    QLabel* PromptLabel() const { return m_pPrompt; }

    // The value OK hands over: the day at 00:00, whatever the time of day.
    static QDateTime AtMidnight(const QDate& date) { return QDateTime(date, QTime(0, 0)); }

    void accept() override;

  private:
    QDateTime* m_pTarget;
    QString m_strPrompt;
    QLabel* m_pPrompt;
    QDateEdit* m_pDate;
};
