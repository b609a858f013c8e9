#pragma once

#include <QString>
#include <QStringList>

#include "settings/BunruiData.h"
#include "settings/dlg/NameRequest.h"

// The rules of the classification settings dialog "分類設定" without its
// widgets: per ledger (products and customers only) the five
// classifications with their titles, and the contents of the selected one,
// edited in a copy of "ClassTitle.dat" that is written on OK.
class CBunruiSetRules
{
  public:
    static constexpr int kClassCount = 5;
    static constexpr int kMaxContentBytes = 100;
    static constexpr int kHelpTopic = 1505;

    // "商品台帳", "得意先台帳": the ledger numbers are the positions.
    static QStringList GetLedgerNames();

    // Loads the file (a failed load leaves the store empty) and shows the
    // first ledger.
    void Open();

    int GetLedgerSel() const { return m_nLedgerSel; }
    void SelectLedger(int ledger);

    // The five classifications of the selected ledger by their titles.
    QStringList GetClassTitles() const;
    int GetClassSel() const { return m_nClassSel; }
    void SelectClass(int index);

    // The contents of the selected classification, in stored order.
    QStringList GetContents() const;
    int GetContentSel() const { return m_nContentSel; }
    void SelectContent(int row);

    bool CanChange() const { return m_nContentSel >= 0; }
    bool CanDelete() const { return m_nContentSel >= 0; }
    bool CanMoveUp() const { return m_nContentSel > 0; }
    bool CanMoveDown() const { return m_nContentSel >= 0 && m_nContentSel < GetContents().size() - 1; }

    // "追加...": the name dialog's texts, then the name it gave. False when
    // nothing changed (a listed name is reported).
    CNameRequest GetAddRequest() const;
    bool Add(const QString& text);
    // "変更...": false, after saying so, without a selected line.
    bool BeginChange(CNameRequest& request) const;
    bool Change(const QString& text);
    // "削除": asks first.
    bool Delete();
    bool MoveUp();
    bool MoveDown();
    // "編集...": the title to rename, then the new one (the same title
    // changes nothing).
    bool BeginRename(QString& title) const;
    bool Rename(const QString& title);

    bool IsModified() const { return m_bModified; }
    // OK: writes the store when something changed; 1 written or nothing
    // to write, 0 when the write failed.
    int OnOK();
    // Cancel: true when the dialog may close (asks when something changed).
    bool ConfirmCancel() const;

    CBunruiData& GetData() { return m_data; }

  private:
    struct Entry {
        QString title;
        CBunruiDataElem* elem = nullptr;
    };

    void FillClasses();
    CBunruiDataElem* CurrentElem() const;
    // The selected classification's element, created (and attached) with
    // the title when it has none yet.
    CBunruiDataElem* TakeElem(const QString& title);
    bool IsListed(const QString& text) const;
    bool HasContentSel(const char* message) const;

    CBunruiData m_data;
    Entry m_entries[kClassCount];
    int m_nLedgerSel = -1;
    int m_nClassSel = -1;
    int m_nContentSel = -1;
    bool m_bModified = false;
};
