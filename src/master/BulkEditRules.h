#pragma once

#include "master/MasterEditRules.h"

#include <QList>
#include <QString>
#include <QStringList>

// The rules of the bulk edit dialog without its widgets: the fields a
// ledger offers, the value control and choices of each field, and the
// checks of OK. The dialog writes what the user entered into the input
// members and shows what the rules say.
class CBulkEditRules
{
  public:
    // Which control takes the value of the chosen field.
    enum ValueControl {
        kNumber,        // the numeric edit ("Percent")
        kCycle,         // cycle list with the day list or the days edit
        kEntryList,     // the staff entry list ("MyPerson")
        kClassList,     // the classification's values ("Class1".."Class5")
        kEditableCombo, // free text with suggestions ("Keisho", "Keisho2")
        kListCombo      // a fixed list
    };
    // The control that gets the focus after a refusal.
    enum Focus { kFocusNone, kFocusFields, kFocusNumber, kFocusValue, kFocusCycle, kFocusDay, kFocusDays };

    struct CItem {
        QString text;
        int code = 0;
    };

    // Ledger 0 products, 1 customers, 2 suppliers.
    explicit CBulkEditRules(int ledger);

    int GetLedger() const { return m_nLedger; }
    QString GetCaption() const;
    // The fields of the ledger with their captions (classification titles
    // read from the settings); the first field chosen.
    void Init();
    const QStringList& GetFieldCaptions() const { return m_captions; }
    const QStringList& GetFieldNames() const { return m_names; }

    int GetFieldIndex() const { return m_nField; }
    QString GetFieldName() const;
    // Chooses a field and sets up its value control; the entered values are
    // emptied.
    void SelectField(int index);
    ValueControl GetValueControl() const { return m_control; }
    // The choices of the list or editable combo (texts carry code 0).
    const QList<CItem>& GetValueItems() const { return m_items; }
    // The classification index 0-4 of a "ClassN" field, else -1.
    int GetClassIndex() const;

    static QList<CItem> CycleItems();
    static QList<CItem> DayItems();
    // Cycle 0 ("請求後") takes a number of days; any other cycle, and none
    // yet, a day of the list.
    void SelectCycle(int index) { m_nCycleIndex = index; }
    bool ShowsDaysEdit() const { return m_control == kCycle && m_nCycleIndex == 0; }

    // What the user entered, written by the dialog before OK.
    QString m_strNumber;    // numeric edit
    int m_nValueIndex = -1; // selection of the list combo
    QString m_strText;      // editable combo or entry / classification combo
    int m_nCycleIndex = -1;
    int m_nDayIndex = -1;
    QString m_strDays; // days edit

    // The checks of OK with their messages and the final question: true
    // when the dialog may close with the result.
    bool OnOK();
    Focus GetFocus() const { return m_focus; }
    const CBulkEditResult& GetResult() const { return m_result; }

  private:
    bool Refuse(const QString& text, Focus focus);

    int m_nLedger;
    QStringList m_captions;
    QStringList m_names;
    int m_nField = -1;
    ValueControl m_control = kListCombo;
    QList<CItem> m_items;
    Focus m_focus = kFocusNone;
    CBulkEditResult m_result;
};
