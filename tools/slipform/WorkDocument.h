#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

#include "platform/data/Record.h"
#include "platform/ui/PrintJob.h"

class CMakeMsgID;
class IPrintCanvas;

// The printout of one work-table document kind (6-13) on A4 in 0.1 mm.
// Slips and statements (6-10, 13) print one document per header row: the
// kind's title, every field of the header as caption and value, then the
// header's body rows as a table that continues over as many pages as it
// needs, its caption row repeated on each. Address and product labels (11,
// 12) print as a grid of labels, every field on each. Every column the
// table has is printed, empty or not: money with separators, dates as
// yyyy/MM/dd.
class CWorkDocument
{
  public:
    static constexpr int kPageWidth = 2100;
    static constexpr int kPageHeight = 2970;
    static constexpr int kMargin = 150;

    explicit CWorkDocument(int kind);

    // The work tables of a kind, header first; empty outside 6-13.
    static QStringList TablesOfKind(int kind);
    // The heading of a field on paper; the field's own name when it has none.
    static QString Caption(const QString& field);
    // A field's value as printed; "" for none.
    static QString ValueText(const CTb* field);
    // Money text with thousands separators ("-1,234,567.5").
    static QString MoneyText(const CMny& value);

    int GetKind() const { return m_nKind; }
    bool IsLabels() const { return m_nKind == 11 || m_nKind == 12; }
    const QString& GetTitle() const { return m_strTitle; }

    // Takes the rows of the kind's tables (fields "Table.Field") and lays
    // out the pages. Bodies go with the header whose "ID" their "HeaderID"
    // names, in the order given; a body of no header is not printed.
    void SetRows(CCDSData headers, CCDSData bodies);
    int GetDocumentCount() const { return IsLabels() ? 0 : m_headers.GetCount(); }
    int GetLabelCount() const { return IsLabels() ? m_headers.GetCount() : 0; }
    int GetPageCount() const { return int(m_pages.size()); }

    // Draws one page (from 0).
    void DrawPage(IPrintCanvas& canvas, int page) const;

  private:
    struct Page {
        int record = 0; // documents: the header; labels: the first label
        int first = 0;  // documents: the first body row of the header's list
        int count = 0;  // body rows or labels on the page
        int number = 1; // the page within its document
        int pages = 1;  // the document's pages
    };

    void Paginate();
    int HeaderBlockHeight() const;
    void DrawHeading(IPrintCanvas& canvas, const Page& page) const;
    int DrawHeaderFields(IPrintCanvas& canvas, const COneRecord& header, int top) const;
    void DrawBodyTable(IPrintCanvas& canvas, const Page& page, int top) const;
    void DrawLabels(IPrintCanvas& canvas, const Page& page) const;

    int m_nKind;
    QString m_strTitle;
    QString m_strHeaderTable;
    QString m_strBodyTable;
    QStringList m_headerFields;
    QStringList m_bodyFields;
    QList<int> m_bodyWidths; // 0.1 mm per body column
    CCDSData m_headers;
    CCDSData m_bodies;
    QList<QList<int>> m_bodyRows; // per header, its body rows
    QList<Page> m_pages;
};

// Reads the rows of the document's tables through the data-access library
// and lays them out: 1, or the library's result with its text in `err`.
int LoadWorkDocument(CMakeMsgID& data, CWorkDocument& document, QString& err);

// The document as the print job driver prints it; a document without
// pages refuses the job with "印刷するデータがありません。".
class CWorkPrintDocument : public IPrintDocument
{
  public:
    explicit CWorkPrintDocument(std::shared_ptr<const CWorkDocument> document)
        : m_document(std::move(document))
    {
    }

    bool OnPreparePrinting(CPrintInfo& info) override;
    void OnBeginPrinting(IPrintCanvas&, CPrintInfo&) override {}
    void OnPrint(IPrintCanvas& canvas, CPrintInfo& info) override;
    void OnEndPrinting(IPrintCanvas&, CPrintInfo&) override {}

  private:
    std::shared_ptr<const CWorkDocument> m_document;
};

// Every page of the document into a PDF file on A4; false when the file
// could not be written or there is nothing to print (told to the user).
bool SaveWorkDocumentPdf(const std::shared_ptr<const CWorkDocument>& document, const QString& path);
