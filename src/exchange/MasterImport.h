#pragma once

#include "exchange/ImportRows.h"
#include "platform/data/Record.h"
#include "platform/office/AccessSource.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class CMakeMsgID;
class CQXCol;
struct CMasterKind;

// One import of the records of a master ledger from a file the user picks: read, pair columns with fields,
// type and complete each record with the default sales conditions, register all of them in one transaction
// through the data-access object, list the refused ones.
class CMasterImport
{
  public:
    explicit CMasterImport(const CMasterKind& kind) : m_kind(kind) {}

    // The data-access object the records are registered through.
    void SetMakeMsgID(CMakeMsgID* db) { m_pDb = db; }

    // The whole import: 1 when records were registered (the list reloads);
    // otherwise nothing was registered.
    int ImportFromFile();
    QString GetTableName() const;

    // An Access table the user picks, ordered by its primary key: the
    // column names as header, one row per record. 1 read (no rows: empty),
    // 0 after a message, or the table dialog's cancel; 2 when the user
    // stopped the reading. A table of more cells than a sheet's table may
    // hold (rows by columns and label, m_nMaxCells) is refused as too large.
    int ReadAccessFile(const QString& path);
    int ReadExcelFile(const QString& path);
    int ReadTextFile(const QString& path);
    // Contact XML of customers or suppliers: the header of the kind's field
    // names, one row per contact; the block asked when a contact has both;
    // the counter settings when the file carries no codes (the records are
    // then numbered).
    int ReadContactXmlFile(const QString& path);

    // Taking over from the sibling products: 1 registered, else not.
    int ImportFromBrenlo(CCDSData* records);
    int ImportFromCadmir(CCDSData* records);
    int ImportFromToskel(CCDSData* records);
    // Customers of the customer product, with its own overwrite and address
    // questions (no confirmation of ours).
    int ImportFromQRT(CCDSData* records);
    // Readers into records (source 0 the slip-printing product, 1 the
    // waybill or designated-slip product): 1 read.
    int ReadSiblingCustomerBook(CCDSData* records, int source);
    int ReadSiblingItemBook(CCDSData* records);
    int ReadCodeDataCustomers(CCDSData* records, int source);
    int ReadCodeDataItems(CCDSData* records, int source);
    // A code-data file (0 customers, 1 products) into its string arrays:
    // 1 read, 0 not (after a message, except for a newer file version).
    static int ReadCodeDataFile(QList<QStringList>& elements, int choice);
    // The bytes of one: 1 read, 0 a newer version, -1 damaged.
    static int ParseCodeData(const QByteArray& bytes, QList<QStringList>& elements);
    static int GetBrenloVersion();
    static int GetToskelVersion();
    static int GetCadmirLinkFlag();
    static QString GetCodeDataPath();

    // The record of one row read, fields by the pairing (an empty field
    // name: column not imported); none when no field is made of it.
    std::unique_ptr<COneRecord> BuildRecord(const QStringList& row, const QList<CQXCol>& mapping,
                                            int breakAfter1, int breakAfter2);
    // Builds and registers the records of every data row from `firstRow`,
    // a batch at a time, in one transaction: rows held in m_rows, or those
    // of the text or contact file read (m_rows then holds only its header
    // and first rows). 1 registered, else not.
    int RegisterRows(const QList<CQXCol>& mapping, int firstRow, int breakAfter1, int breakAfter2);

    // One typed field of the text, or none.
    std::optional<CTb> MakeFieldValue(const QString& name, const QString& text, int contactXml) const;
    // 1 added "様", 0 nothing needed or a product, -1 no record.
    int SetDefaultHonorific(COneRecord* record) const;
    void CompleteRecord(COneRecord* record);
    // Default 0-9 of the completion; none outside.
    std::optional<CTb> GetDefaultValue(int index);

    // Phase 0 and, when some were refused, the refused-rows dialog and
    // phase 1: 1 registered, 2 not.
    int Register(CCDSData* records);

    const CMasterKind& m_kind;
    CImportRows m_rows;
    CMakeMsgID* m_pDb = nullptr;
    int m_bOverwrite = 0;
    int m_bAutoNumber = 0;
    int m_bContactXml = 0;

    // The text or contact file whose rows are read again as they are
    // registered: its delimiter, its number of data rows, and its encoding
    // as decided when it was first read.
    struct Stream {
        QString path;
        QChar delimiter;
        qint64 rows = 0;
        int encoding = 0;
    };
    Stream m_stream;
    int m_nXmlBlock = 0;
    // The data rows a text file's check keeps for the pairing's samples.
    static constexpr int kHeadRows = 2;
    // The cells an Access table may hold; tests lower it.
    qint64 m_nMaxCells = CWorkbookLimits::kImportCells;

  private:
    class Feed;
    // Hands the feed the record of every data row from `firstRow`: false
    // once the registration failed or the file could not be read again
    // (after the message), or the user stopped it.
    bool FeedRows(Feed& feed, const QList<CQXCol>& mapping, int firstRow, int breakAfter1, int breakAfter2);
    int ImportSibling(CCDSData* records, const std::function<int(CCDSData*)>& read);
    // The table's records, sorted by its key, into m_rows as texts.
    void TakeAccessRows(const QList<CAccessColumn>& columns, const QStringList& keys,
                        QList<CAccessRow>& rows);
    int CheckCodeDataVersion(int source, bool items);
    int ReadCodeData(CCDSData* records, int source, bool items);

    QStringList m_defaultTexts; // the sales conditions, read once per import
    bool m_bDefaultsRead = false;
};

// The current database's "Other" folder with a trailing separator; empty
// when no database is current.
QString GetOtherFolder();
// A field of that name holding the empty text.
CTb MakeTextField(const QString& name);
// The amount of a money cell as other programs write it: the whole cell is
// the number, with an optional yen sign ("\1,234", "¥500", "￥980"; a sign
// may stand before or after it) or trailing "円", thousands commas in their
// places, a sign in front or behind, full-width digits. False for any other
// text ("3万", "12箱", "1,2,3", "0x10"), whose row is then refused, and for
// an amount beyond the money range.
bool ImportTextToMny(const QString& text, CMny& value);
// Gives a money field the amount of a non-empty text. A text without an
// amount is kept as the value, so that the library refuses the row naming
// the field, and the completion never turns it into 0.
void SetMoneyValue(CTb& field, const QString& text);
// Every line feed not preceded by a carriage return becomes CR LF.
void NormalizeLineBreaks(QString& text);
// Cuts the text to `bytes` CP932 bytes, never within a double-byte character.
void TruncateBytes(QString& text, int bytes);
