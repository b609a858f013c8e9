#pragma once

#include <QString>

// The command lines of the slip-form program. The frame builds them with
// the static functions; the slip-form program reads them with Parse. A line
// always begins with a blank and travels as one argument.
//
//   " /L:<layout> /C:<kind>"                    new slip, kinds 1-5
//   " /L:<layout> /C:<kind> /N:<nn>\"<code>\""  new slip for a partner
//   " /L:<layout> /C:<kind> /W:"                document from the work tables, kinds 6-13
//   " <FileName> /C:<kind> /R:<id>"             reopen a slip (the FileName may hold blanks)
//   " /L:<layout> /C:<kind> /R:<id> /T:<1|2>"   copy a slip onto another form
//   " /L:<layout> /C:<kind> /CLIP:<format>"     batch print from the clipboard
class CSlipFormCommand
{
  public:
    enum Mode { kNone, kNew, kNewForPartner, kWorkTables, kReopen, kTransfer, kClipboard };

    static QString NewSlip(long layout, int kind);
    static QString NewSlipFor(long layout, int kind, const QString& text);
    static QString WorkTables(long layout, int kind);
    static QString Reopen(const QString& fileName, int kind, long id);
    static QString Transfer(long layout, int kind, long sourceID, int mode);
    static QString Clipboard(long layout, int kind, int format);
    // The "/N:" text for a partner code: its length in code page 932 bytes
    // as two digits, then the code between double quotes (A001 → 04"A001").
    static QString PartnerText(const QString& code);

    // Reads a command line; false (with the reason in GetError) when it is
    // none of the forms above or holds a kind, layout, id or format that
    // form never carries. Slip kinds are 1-5 for slips and transfers, 6-13
    // for work tables, 1-13 for a batch print.
    bool Parse(const QString& line);

    Mode GetMode() const { return m_nMode; }
    long GetLayout() const { return m_nLayout; }
    int GetKind() const { return m_nKind; }
    const QString& GetPartnerCode() const { return m_strPartnerCode; }
    const QString& GetFileName() const { return m_strFileName; }
    long GetID() const { return m_nID; }
    int GetTransferMode() const { return m_nTransferMode; }
    int GetClipFormat() const { return m_nClipFormat; }
    const QString& GetError() const { return m_strError; }

  private:
    bool Fail(const QString& reason);

    Mode m_nMode = kNone;
    long m_nLayout = 0;
    int m_nKind = 0;
    QString m_strPartnerCode;
    QString m_strFileName;
    long m_nID = 0;
    int m_nTransferMode = 0;
    int m_nClipFormat = 0;
    QString m_strError;
};
