#pragma once

#include "platform/data/MakeMsgID.h"
#include "reports/ReportList.h"
#include "reports/ReportScreen.h"

#include <QDate>
#include <QList>
#include <QStringList>

#include <ostream>

// A screen that shows nothing: it answers the rows selected and the answers
// it was given, and records what the controller asked of it. Over a
// database, the controller reads and writes that one; given a list besides,
// the screen keeps in it what the controller loads, as the report screen
// does with its own: the records loaded, the rows made of them (filled by
// the list), the mode shown.
class CRecordingScreen : public IReportScreen
{
  public:
    // A question, a notice or a word about the rows selected, as the
    // controller put it: "Ask …", "Tell …" or "Say …".
    struct CHeard {
        QString text;
        int buttons = MB_OK;
        int icon = MB_ICONNONE;
        int defaultButton = 0;
        bool operator==(const CHeard&) const = default;
        friend void PrintTo(const CHeard& heard, std::ostream* out)
        {
            *out << heard.text.toStdString() << " [" << heard.buttons << ' ' << heard.icon << ' '
                 << heard.defaultButton << ']';
        }
    };

    CRecordingScreen() = default;
    explicit CRecordingScreen(CMakeMsgID& data, CReportList* list = nullptr) : m_pData(&data), m_pList(list)
    {
    }

    CMakeMsgID& Data() const override { return m_pData ? *m_pData : m_data; }
    QDate ClosingDate() const override { return m_closingDate; }
    int ClosingDay() const override { return m_nClosingDay; }
    QList<int> GetSelectedRows() const override { return m_selected; }
    QList<int> SelectedRowsOrSay(const QString& message) const override
    {
        if (m_selected.isEmpty()) {
            m_calls << QStringLiteral("Say ") + message;
            m_heard.append({QStringLiteral("Say ") + message});
        }
        return m_selected;
    }
    void SelectRows(const QList<int>& rows) override { m_selected = rows; }
    void ShowLoaded(CCDSData&& records) override
    {
        m_calls << QStringLiteral("Loaded %1").arg(records.GetCount());
        if (m_pList)
            m_pList->SetRecords(std::move(records));
    }
    void ShowPeriod(const QString& text) override { m_calls << QStringLiteral("Period ") + text; }
    void ShowCount(const QString& text) override { m_calls << QStringLiteral("Count ") + text; }
    void RefreshList() override
    {
        m_calls << QStringLiteral("Refresh");
        if (m_pList) {
            m_pList->ClearRows();
            m_pList->FillList(m_closingDate);
        }
    }
    void RepaintRows() override { m_calls << QStringLiteral("Repaint"); }
    void ClearRows() override
    {
        m_calls << QStringLiteral("ClearRows");
        if (m_pList)
            m_pList->ClearRows();
    }
    void RemoveSettledRows(const QList<int>& /*rows*/) override { m_calls << QStringLiteral("Remove"); }
    void ReloadList(bool newColumns) override { m_calls << QStringLiteral("Reload %1").arg(newColumns); }
    void ShowMode(int mode, const QString& title) override
    {
        m_calls << QStringLiteral("Mode %1 ").arg(mode) + title;
        if (m_pList)
            m_pList->SetMode(mode);
    }
    void BackToMenu() override { m_calls << QStringLiteral("Menu"); }
    int Ask(const QString& question, int buttons, int icon, int defaultButton) const override
    {
        m_calls << QStringLiteral("Ask ") + question;
        m_heard.append({QStringLiteral("Ask ") + question, buttons, icon, defaultButton});
        return m_answers.isEmpty() ? m_answer : m_answers.takeFirst();
    }
    void Tell(const QString& text, int icon) const override
    {
        m_calls << QStringLiteral("Tell ") + text;
        m_heard.append({QStringLiteral("Tell ") + text, MB_OK, icon});
    }
    QWidget* DialogParent() override { return nullptr; }
    bool AskClosingDate(bool purchase) override
    {
        m_calls << QStringLiteral("ClosingDate %1").arg(purchase);
        return false;
    }
    bool OpenReceipt(const CReceiptRequest& /*request*/) override
    {
        m_calls << QStringLiteral("Receipt");
        return false;
    }
    bool OpenStockChange(CStockChangeRequest& /*request*/) override
    {
        m_calls << QStringLiteral("StockChange");
        return false;
    }

    QList<int> m_selected;
    // The answers to the questions in turn; past them, m_answer.
    mutable QList<int> m_answers;
    int m_answer = IDCANCEL;
    QDate m_closingDate = QDate(2004, 5, 25);
    int m_nClosingDay = 25;
    mutable QStringList m_calls;
    // The questions, notices and words of m_calls with their buttons and icons.
    mutable QList<CHeard> m_heard;

  private:
    CMakeMsgID* m_pData = nullptr;
    CReportList* m_pList = nullptr;
    mutable CMakeMsgID m_data; // never connected
};
