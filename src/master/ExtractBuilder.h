#pragma once

#include "platform/data/MasterKinds.h"
#include "platform/ui/Ime.h"
#include "settings/QXColSet.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

class CExCondition;

// How a field of the master tables is compared.
enum ExtractFieldType : int {
    kExtractText = 0,
    kExtractDate = 1,
    kExtractNumber = 2,
    kExtractCoded = 3,
    kExtractOther = 4
};
int GetExtractFieldType(const QString& field);
// Coded fields and "CollectType" offer a fixed list; every other field an
// editable box.
bool IsExtractListField(const QString& field);
// The input method of the value box of a field.
ImeField GetExtractImeField(const QString& field);

// An operator as offered (text) and as written (fragment, "*" for the value).
struct CExtractOperator {
    QString text;
    QString fragment;
};

// An entry of a value list; coded fields carry their code.
struct CExtractValue {
    QString text;
    int code = 0;
    bool hasCode = false;
};

// One condition row as the user set it, with the lists its field offers.
struct CExtractRow {
    int field = -1;     // index into the builder's fields; -1 none
    QString value;      // the value text, typed or chosen
    int valueItem = -1; // the chosen entry of the value list; -1 none
    int op = -1;        // index into `operators`; -1 none
    int connector = -1; // rows A and B: 0 "かつ", 1 "または", 2 "おわり", -1 none
    QList<CExtractOperator> operators;
    QList<CExtractValue> values;
};

// The extraction condition builder: the fields of a target (0 products,
// 1 customers, 2 suppliers), what each offers, the checks of a row with
// their messages, and the statement with the parts kept for showing the
// condition again. The statement is SQLite's: LIKE with an escape, dates
// as 'YYYY-MM-DD' through date(), money as stored ten-thousandths.
class CExtractBuilder
{
  public:
    // The control a refusal sends the user back to.
    enum Focus { kFocusNone, kFocusField, kFocusValue, kFocusOperator };

    explicit CExtractBuilder(EMasterKind target);

    const CMasterKind& Kind() const { return m_target; }
    // The column set's number of the target: 0 products, 1 customers, 2 suppliers.
    int GetTarget() const { return m_target.columnSet; }
    QString GetTable() const;
    // "SELECT T.* FROM T ": the start of every statement of the target.
    QString GetHead() const;

    // The factory columns of the target but the composite names; false when
    // they cannot be read.
    bool LoadFields();
    void SetFields(const CQXColSet& columns);
    const QList<CQXCol>& GetFields() const { return m_fields; }
    // "[Table].[Field]" of a field index; empty for none.
    QString GetColumnName(int field) const;
    int FindField(const QString& columnName) const;

    // A new field for the row: its operators and values, nothing chosen.
    void SetRowField(CExtractRow& row, int field) const;
    QList<CExtractOperator> GetOperators(const QString& field) const;
    QList<CExtractValue> GetValues(const QString& field) const;

    // Checks one row (0 A, 1 B, 2 C) and writes its condition text and
    // parts (column, value as entered, fragment); empty after a refusal,
    // which has been shown.
    QString BuildRow(int index, const CExtractRow& row, QStringList& parts);
    // The whole condition from the rows: 1 with `condition` cleared and set
    // (kind, statement, parts); 0, `condition` untouched, after a refusal.
    // Without `ask` nothing is said: an empty text counts as meant, and a
    // refusal is only the result (a saved condition rebuilt from its parts).
    int Build(const std::array<CExtractRow, 3>& rows, CExCondition& condition, bool ask = true);

    // After a refusal: the row (0-2) and the control to go back to.
    int GetFailedRow() const { return m_nFailedRow; }
    Focus GetFocus() const { return m_focus; }

    // A strict day "yyyy/m/d": four-digit year, "/" at the fifth
    // character, a day that exists; nothing else around it.
    static bool ParseDate(const QString& text, QDate& date);

  private:
    int BuildRows(const std::array<CExtractRow, 3>& rows, CExCondition& condition);
    QString Refuse(int index, const QString& text, Focus focus);

    const CMasterKind& m_target;
    QList<CQXCol> m_fields;
    int m_nFailedRow = -1;
    Focus m_focus = kFocusNone;
    bool m_bAsk = true;
};
