#pragma once

#include <QDate>
#include <QString>

#include <memory>

class CDialogNumber;
class CMakeMsgID;
class CMny;

// What the stock in/out dialog holds and does, without the widgets. Mode 0
// new (the form stays for the next movement), 1 new for a preset product,
// 2 one stored movement changed.
class CStockChangeRules
{
  public:
    enum Type { kOut = 0, kIn = 1 }; // 出庫, 入庫
    enum Field { kNone, kDate, kCode, kQuantity, kType, kStore };
    // What 登録/修正 and とじる lead to.
    enum Outcome { kStay, kNext, kCloseOk, kCloseCancel };

    CStockChangeRules(CMakeMsgID& data, int mode);
    ~CStockChangeRules();

    int GetMode() const { return m_nMode; }
    // The slip number from counter 51 unless a stored movement is changed.
    void Init();
    // The slip number proposed for a new movement: the counter's next, past
    // the numbers the books hold.
    void ProposeNumber();
    CMakeMsgID& Data() const { return m_data; }
    // The product code lost the focus: its name, or a message (the name is
    // emptied, the code stays). The field to focus, kNone when found.
    Field LookupItem();
    // The typed quantity: a number (ReadMnyText) other than 0, or empty
    // (登録 asks for it). kQuantity, with the reason shown, when refused;
    // else `quantity`, when given, holds it.
    Field CheckQuantity(CMny* quantity = nullptr) const;
    // Checks and writes; the field to focus on failure, kNone when written.
    Field ValidateAndSave();
    // 登録/修正: the question, the save and what follows.
    Outcome OnOK();
    // とじる: asks when an entered movement would be lost.
    Outcome OnCancel();
    Field FocusAfterFailure() const { return m_lastFailure; }

    QDate m_date;
    QString m_strNo;
    int m_nType = kOut;
    QString m_strCode;
    QString m_strName;
    QString m_strQuantity;
    QString m_strMemo;
    int m_nID = 0;

  private:
    void AfterInsert();

    CMakeMsgID& m_data;
    int m_nMode;
    Field m_lastFailure = kNone;
    std::unique_ptr<CDialogNumber> m_pNumber;
};
