#pragma once

#include <QList>
#include <QString>

#include <functional>

class CCDSData;
class COneRecord;
struct CMasterKind;

// "売上伝票/見積書の作成" and "注文書/仕入伝票の作成" of the partner lists:
// the two-choice dialog picks the slip, the partner goes to the slip-form
// program as its code, and the sales slip and the order open in the form
// the partner used last.
class CSlipFromList
{
  public:
    // The frame's code lookup: 1 when it ran, the matches in `result`.
    using Lookup =
        std::function<int(const QString& table, const QString& field, const QString& code, CCDSData& result)>;
    // Starts the slip-form program with (slip kind, partner text, layout).
    using Launcher = std::function<int(int kind, const QString& text, long layout)>;

    CSlipFromList(const CMasterKind& master, Lookup lookup, Launcher launcher);

    // The command on the selected rows' records (null for a row without
    // one): 1 when the program was handed the slip, 0 when refused
    // (the reason shown) or cancelled.
    int Run(const QList<const COneRecord*>& selected);

    // The code's length in code page 932 bytes, two digits, then the code
    // in double quotes: 04"C001".
    static QString PartnerText(const QString& code);

  private:
    const CMasterKind& m_master;
    Lookup m_lookup;
    Launcher m_launcher;
};
