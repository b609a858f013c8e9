#pragma once

#include <QList>
#include <QString>

#include <functional>

class CCDSData;
class COneRecord;
struct CMasterKind;

// "宛名印刷" and "商品ラベル印刷": the selected partners go into the work
// table "WAtena", the selected products into "WItem", and the slip-form
// program prints labels from there (kind 11 or 12).
class CAddressPrint
{
  public:
    // The data-access insert (1 done, -100 fatal, else failed with `err`).
    using Insert = std::function<int(CCDSData& set, QString& err)>;
    using Launcher = std::function<int(int kind, const QString& text, long layout)>;

    CAddressPrint(const CMasterKind& master, Insert insert, Launcher launcher);

    // The command on the selected rows' records: 1 when the slip-form
    // program was handed the work table, 0 when refused or failed (said so).
    int Run(const QList<const COneRecord*>& selected);

    // One work record of the fields the set's work table keeps, copied
    // with their types and values under the work table's name. 0 for a null
    // record or a table that is neither "WItem" nor "WAtena".
    static int AppendWorkRecord(const COneRecord* master, CCDSData& set);

  private:
    const CMasterKind& m_master;
    Insert m_insert;
    Launcher m_launcher;
};
