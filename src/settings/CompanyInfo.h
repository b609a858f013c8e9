#pragma once

#include <QString>
#include <QStringList>

// The own company's data of the current database: nine items in default-
// value files of its "Other" folder, and seven printed forms derived from
// the postcode, address, telephone and fax that the slip-form program
// prints. This is the dialog's state and its rules without widgets.

// The stored text of item 0-8 (company, department, person, postcode,
// address, telephone, fax, bank account, catch phrase) of the current
// database; empty when no database is current, the index is outside 0-8 or
// the file is missing. A damaged file is reported and reads as empty.
QString ReadCompanyInfoItem(int index);

class CCompanyInfoRules
{
  public:
    enum { kItemCount = 9 };
    // The edit fields of the dialog.
    enum Field {
        COMPANY,
        DEPARTMENT,
        PERSON,
        ZIP1,
        ZIP2,
        ADDRESS,
        TEL1,
        TEL2,
        TEL3,
        FAX1,
        FAX2,
        FAX3,
        ACCOUNT,
        CATCH,
        kFieldCount,
        NO_FIELD = -1
    };

    // The item files in the order of the items.
    static const QStringList& ItemFileNames();
    // The 16 files OK writes, in writing order.
    static const QStringList& SaveFileNames();
    static QStringList Captions();
    static QString Note();
    // The marker a new database carries until its first-run setup.
    static QString FirstRunMarker() { return QStringLiteral("FTtemp.dat"); }

    // Postcode into two parts and telephone or fax into three.
    static void SplitPostcode(const QString& text, QString& part1, QString& part2);
    static void SplitTelephone(const QString& text, QString& part1, QString& part2, QString& part3);
    // Empty when every part is empty, else the parts joined by "-".
    static QString JoinParts(const QStringList& parts);

    // What a digit field keeps of its text: the leading run of "0"-"9".
    static QString FilterDigits(const QString& text);
    // The field that takes the focus when `field` holds `text`: the full
    // postcode parts, TEL part 3 and FAX part 3 move on; else NO_FIELD.
    static Field NextFocus(Field field, const QString& text);
    static bool IsDigitField(Field field);
    // Characters a field may take (0 for no limit).
    static int MaxLength(Field field);
    // Bytes of code page 932 a field's text may take (0 for no limit): the
    // person's are the staff list's.
    static int MaxBytes(Field field);
    // The refusal of `text` in `field` when it takes more than those bytes,
    // said in characters ("担当者は全角15文字・半角30文字までです。"); empty
    // when it fits.
    static QString LengthProblem(Field field, const QString& text);

    // Opening: removes the first-run marker of `dbFolder` (and remembers
    // that it was there), then loads the items. An empty folder reads
    // nothing.
    void Open(const QString& dbFolder);
    // Reads the nine items and splits them into the fields; a missing file
    // leaves its item empty, a damaged one is reported and stays empty.
    void Load(const QString& dbFolder);

    // The nine item texts joined from the fields (line breaks as "\r\n").
    QStringList ItemTexts() const;
    // The 16 texts OK writes, in the order of SaveFileNames().
    QStringList SaveTexts() const;
    // OK: writes the 16 files; true when every one was written. Refusals
    // and failures are reported.
    bool Save(const QString& dbFolder) const;

    bool IsFirstRun() const { return m_bFirstRun; }

    QString m_strField[kFieldCount];

  private:
    bool m_bFirstRun = false;
};
