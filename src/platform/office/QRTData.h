#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

// The exchange with the customer product (Velmira): purchase history
// records filed under a customer code, and the product's customers. The
// product's folder is named by the registry stand-in; the history and the
// customers are files of that folder.

// One purchase-history record.
class CQXRireki
{
  public:
    QDateTime m_dtDate;
    QString m_strPerson;
    double m_dTotal = 0;
    QString m_strKind;
    QString m_strMemo;
    QString m_strTitle;
};

// Collects history records and writes them to the customer product.
class CExportRireki
{
  public:
    static constexpr char kRegistryKey[] = "SOFTWARE\\Pellam\\Fennimor\\Velmira";
    static constexpr char kFileName[] = "CorvantaRireki.txt";
    static constexpr char kMagic[] = "CorvantaRireki 1";

    CExportRireki();

    // 1 when the registry names an existing folder of the product, else 0
    // (GetError says why).
    int CheckInstVer();
    // Adds a record for the customer; 1.
    int SetRireki(const QString& partnerCode, const CQXRireki& record);
    // Appends the collected records to the product's history file (the
    // whole file replaced at once): 1 when written, else 0 (GetError).
    int Export();

    const QString& GetFolder() const { return m_strFolder; }
    const QString& GetError() const { return m_strError; }
    int GetCount() const { return int(m_records.size()); }

    // The records of a history file, in file order; false for a file that
    // is not one.
    static bool ReadHistory(const QString& path, QList<QPair<QString, CQXRireki>>& records);

  private:
    QString m_strFolder;
    QString m_strError;
    QList<QPair<QString, CQXRireki>> m_records;
};

// One customer of the customer product.
class CKokyaku
{
  public:
    // An address block: the personal one and the company one.
    struct CBlock {
        QString m_strZip;
        QString m_strAddress1;
        QString m_strAddress2;
        QString m_strAddress3;
        QString m_strTel;
        QString m_strFax;
        bool operator==(const CBlock&) const = default;
    };

    QString m_strCode;
    int m_nKind = 0; // 0 a company, any other value an individual
    QString m_strName;
    QString m_strPhoenicName;
    QString m_strKeisho;
    QString m_strCompany;
    QString m_strPhoenicCompany;
    QString m_strSection;
    QString m_strMyPerson;
    CBlock m_personal;
    CBlock m_company;
    QString m_strMail[5];
    int m_nMailSelect = 1; // 1-5: the address to use
    int m_nDay = 0;
    int m_nTaxType = 0;
    QString m_strCollectType;
    QString m_strClass1;
    QString m_strClass2;
    QString m_strMemo;

    bool operator==(const CKokyaku&) const = default;
};

// Takes customers from the customer product (ImportData) or hands them to
// it (ExportData). The product keeps its customers in one file of its
// folder, replaced whole on every write, so a failed write leaves the old
// customers as they were.
class CImportQRTData
{
  public:
    static constexpr char kFileName[] = "CorvantaKokyaku.txt";
    static constexpr char kMagic[] = "CorvantaKokyaku 1";

    // Reads the product's customers into m_list and asks the overwrite
    // choice and the two address joins: 1 read and confirmed, 2 cancelled
    // or failed (after a message).
    int ImportData();
    // Stores m_list in the product: a customer whose code the product has
    // replaces that one, the others are added. 1 written, 2 failed (after a
    // message).
    int ExportData();

    // The customers file of the product's folder; empty (after a message)
    // when the registry names no existing folder.
    static QString CustomerFile(const char* refusal);
    // A customers file's bytes and back; Parse answers false for a file that
    // is not one (nothing is taken from it).
    static QByteArray Format(const QList<CKokyaku>& customers);
    static bool Parse(const QByteArray& bytes, QList<CKokyaku>& customers);

    QList<CKokyaku> m_list;
    int m_bOverwrite = 0;
    int m_bJoin1 = 0; // a line break after address part 1
    int m_bJoin2 = 0; // a line break after address part 2
};
