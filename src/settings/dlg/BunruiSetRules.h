#pragma once

#include <QString>
#include <QStringList>

#include "settings/BunruiData.h"
#include "settings/dlg/ListEditRules.h"

// The rules of the classification settings dialog "分類設定" without its
// widgets: per ledger (products and customers only) the five
// classifications with their titles, and the contents of the selected one
// as the edited list, in a copy of "ClassTitle.dat" that is written on OK.
class CBunruiSetRules : public CListEditRules
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
    QStringList GetItems() const override;

    CNameRequest GetAddRequest() const override;
    bool Add(const QString& text) override;
    bool BeginChange(CNameRequest& request) const override;
    bool Change(const QString& text) override;
    bool Delete() override;
    bool MoveUp() override;
    bool MoveDown() override;
    // "編集...": the title to rename, then the new one (the same title
    // changes nothing).
    bool BeginRename(QString& title) const;
    bool Rename(const QString& title);

    CBunruiData& GetData() { return m_data; }

  protected:
    int Save() override { return m_data.SaveEdits(); }

  private:
    struct Entry {
        QString title;
        CBunruiDataElem* elem = nullptr;
    };

    void FillClasses();
    // The selected classification's title: its contents are named by it,
    // as the entry dialogs name the field.
    QString ClassTitle() const;
    CBunruiDataElem* CurrentElem() const;
    // The selected classification's element, created (and attached) with
    // the title when it has none yet.
    CBunruiDataElem* TakeElem(const QString& title);

    CBunruiData m_data;
    Entry m_entries[kClassCount];
    int m_nLedgerSel = -1;
    int m_nClassSel = -1;
};
