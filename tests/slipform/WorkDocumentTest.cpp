// The slip-form program's documents from the work tables: what each page
// of each kind holds, the continued tables, the labels, and a PDF.

#include "slipform/WorkDocument.h"
#include "platform/data/DataTestUtil.h"
#include "platform/data/Record.h"
#include "platform/data/Schema.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/PrintCanvas.h"

#include <QProcess>

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

namespace
{

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList FieldsOf(const QString& table)
{
    QStringList names;
    for (const Schema::FieldDef& field : Schema::FindTable(table)->fields)
        names << QString::fromUtf8(field.name);
    return names;
}

// A record of the table with a value in every field that tells the record
// (`tag`) and the field apart; `skipped` stays out of the record; "ID" and
// "HeaderID" take the given numbers. `printed` gets the texts a page must
// show for it, in field order.
COneRecord MakeRecord(const QString& table, int tag, int id, int headerId, const QString& skipped = {},
                      QStringList* printed = nullptr)
{
    COneRecord record;
    const auto fields = Schema::FindTable(table)->fields;
    for (int i = 0; i < int(fields.size()); ++i) {
        const QString name = QString::fromUtf8(fields[size_t(i)].name);
        const QString full = table + u'.' + name;
        QString text;
        if (name == skipped) {
            if (printed)
                *printed << QString();
            continue;
        }
        if (name == Q("ID")) {
            record.SetField(full, id);
            text = QString::number(id);
        } else if (name == Q("HeaderID")) {
            record.SetField(full, headerId);
            text = QString::number(headerId);
        } else {
            switch (fields[size_t(i)].type) {
            case Schema::kInteger:
                record.SetField(full, tag * 100 + i);
                text = QString::number(tag * 100 + i);
                break;
            case Schema::kMoney:
                // tag,0ii,000.5: tells record and field apart.
                record.SetField(full, CMny(qint64(tag * 1000000 + i * 1000) * 10 + 5, 1));
                text = QStringLiteral("%1,%2,000.5").arg(tag).arg(i, 3, 10, QLatin1Char('0'));
                break;
            case Schema::kDate:
                record.SetField(full, QDate(2024, 1, 1).addDays(tag * 40 + i));
                text = QDate(2024, 1, 1).addDays(tag * 40 + i).toString(QStringLiteral("yyyy/MM/dd"));
                break;
            default:
                record.SetField(full, QStringLiteral("%1%2").arg(name).arg(tag));
                text = QStringLiteral("%1%2").arg(name).arg(tag);
            }
        }
        if (printed)
            *printed << text;
    }
    return record;
}

QStringList PageTexts(const CWorkDocument& document, int page)
{
    CRecordingCanvas canvas;
    document.DrawPage(canvas, page);
    return canvas.Texts();
}

} // namespace

// Every kind: one document per header, each page with the kind's title,
// every header and body column's caption and value (a field left out
// still has its caption), and only its own header's body rows; labels in
// grids of 12 or 8, every field on each.
TEST(WorkDocument, EveryColumnOfEveryKind)
{
    EXPECT_EQ(CWorkDocument::MoneyText(CMny(-12345675, 1)), Q("-1,234,567.5"));
    EXPECT_EQ(CWorkDocument::MoneyText(CMny(1000)), Q("1,000"));
    EXPECT_EQ(CWorkDocument::MoneyText(CMny(999)), Q("999"));
    EXPECT_EQ(CWorkDocument::MoneyText(CMny(0)), Q("0"));

    struct Case {
        int kind;
        const char* title;
        const char* skipped; // a header field left empty
    };
    const Case cases[] = {
        {6, "締め請求書", "Keisho2"}, {7, "支払明細書", "MyPerson"},
        {8, "得意先元帳", "Term"},    {9, "仕入先元帳", "LastCollect"},
        {10, "領収書", "Zip"},        {13, "振込依頼書", "BankOnesPhoenic"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const QStringList tables = CWorkDocument::TablesOfKind(c.kind);
        ASSERT_EQ(tables.size(), 2);
        QStringList header1, header2, body1a, body1b, body2;
        CCDSData headers, bodies;
        headers.Add(MakeRecord(tables[0], 1, 5, 0, Q(c.skipped), &header1));
        headers.Add(MakeRecord(tables[0], 2, 9, 0, QString(), &header2));
        // Bodies out of header order, and one of no header.
        bodies.Add(MakeRecord(tables[1], 3, 31, 9, QString(), &body2));
        bodies.Add(MakeRecord(tables[1], 4, 32, 5, QString(), &body1a));
        bodies.Add(MakeRecord(tables[1], 5, 33, 77));
        bodies.Add(MakeRecord(tables[1], 6, 34, 5, QString(), &body1b));
        CWorkDocument document(c.kind);
        document.SetRows(std::move(headers), std::move(bodies));
        EXPECT_EQ(document.GetDocumentCount(), 2);
        ASSERT_EQ(document.GetPageCount(), 2);

        const QStringList first = PageTexts(document, 0);
        const QStringList second = PageTexts(document, 1);
        EXPECT_EQ(first.value(0), Q(c.title));
        EXPECT_EQ(first.value(1), Q("1 / 1"));
        // Header captions and values in field order, pairwise.
        const QStringList headerFields = FieldsOf(tables[0]);
        QStringList expected;
        for (int i = 0; i < headerFields.size(); ++i)
            expected << CWorkDocument::Caption(headerFields[i]) << header1[i];
        EXPECT_EQ(first.mid(2, expected.size()), expected);
        // The body: its captions, then its two rows whole.
        QStringList table;
        for (const QString& field : FieldsOf(tables[1]))
            table << CWorkDocument::Caption(field);
        EXPECT_EQ(first.mid(2 + expected.size()), table + body1a + body1b);
        EXPECT_TRUE(second.contains(header2.last()));
        EXPECT_EQ(second.mid(second.size() - body2.size()), body2);
        EXPECT_FALSE(first.contains(body2.last()));
    }

    // Labels: 13 address labels on two pages of 12; 8 product labels a page.
    for (const auto& [kind, count, pages, perPage] : {std::tuple{11, 13, 2, 12}, std::tuple{12, 9, 2, 8}}) {
        SCOPED_TRACE(kind);
        const QString table = CWorkDocument::TablesOfKind(kind).value(0);
        CCDSData labels;
        QList<QStringList> printed(count);
        for (int i = 0; i < count; ++i)
            labels.Add(MakeRecord(table, i + 1, i + 1, 0, i == 0 ? Q("Address") : QString(), &printed[i]));
        CWorkDocument document(kind);
        document.SetRows(std::move(labels), CCDSData());
        EXPECT_EQ(document.GetLabelCount(), count);
        ASSERT_EQ(document.GetPageCount(), pages);
        const QStringList fields = FieldsOf(table);
        QStringList expected;
        for (int i = 0; i < perPage; ++i)
            for (int f = 0; f < fields.size(); ++f)
                expected << CWorkDocument::Caption(fields[f]) << printed[i][f];
        EXPECT_EQ(PageTexts(document, 0), expected);
        // The first label's fields end above the label under it.
        CRecordingCanvas canvas;
        document.DrawPage(canvas, 0);
        const QList<CRecordingCanvas::Call> texts = canvas.TextCalls();
        const qsizetype perLabel = 2 * fields.size();
        int lowest = 0;
        for (qsizetype i = 0; i < perLabel; ++i)
            lowest = std::max(lowest, texts[i].rect.bottom);
        EXPECT_LE(lowest, texts[2 * perLabel].rect.top);
        EXPECT_EQ(PageTexts(document, 1).size(), (count - perPage) * fields.size() * 2);
        EXPECT_TRUE(PageTexts(document, 1).contains(printed.last().first()));
    }
}

// A receipt with 100 lines continues over three pages, each with the title
// marked as continued and the caption row before its rows; every line is
// printed once, in order.
TEST(WorkDocument, LongBodyContinuesWithItsCaptionRow)
{
    CCDSData headers, bodies;
    headers.Add(MakeRecord(Q("WReceipt_H"), 1, 1, 0));
    for (int line = 1; line <= 100; ++line) {
        COneRecord body;
        body.SetField(Q("WReceipt_B.HeaderID"), 1);
        body.SetField(Q("WReceipt_B.LineNo"), line);
        body.SetField(Q("WReceipt_B.Amount"), CMny(line * 1000));
        bodies.Add(body);
    }
    CWorkDocument document(10);
    document.SetRows(std::move(headers), std::move(bodies));
    ASSERT_EQ(document.GetPageCount(), 3);
    QStringList captions;
    for (const QString& field : FieldsOf(Q("WReceipt_B")))
        captions << CWorkDocument::Caption(field);
    QList<int> lines;
    QStringList amounts;
    for (int page = 0; page < 3; ++page) {
        CRecordingCanvas canvas;
        document.DrawPage(canvas, page);
        const QList<CRecordingCanvas::Call> texts = canvas.TextCalls();
        EXPECT_EQ(texts[0].text, page == 0 ? Q("領収書") : Q("領収書（続き）"));
        EXPECT_EQ(texts[1].text, QStringLiteral("%1 / 3").arg(page + 1));
        // The caption row, then rows of 8 cells below it.
        qsizetype at = 2;
        if (page == 0)
            at += 2 * FieldsOf(Q("WReceipt_H")).size();
        QStringList row;
        for (qsizetype i = at; i < at + captions.size(); ++i)
            row << texts[i].text;
        EXPECT_EQ(row, captions);
        const int captionBottom = texts[int(at)].rect.bottom;
        for (qsizetype i = at + captions.size(); i < texts.size(); i += captions.size()) {
            EXPECT_GE(texts[int(i)].rect.top, captionBottom);
            EXPECT_LE(texts[int(i)].rect.bottom, CWorkDocument::kPageHeight - CWorkDocument::kMargin);
            lines << texts[int(i) + 2].text.toInt();
            amounts << texts[int(i) + 5].text;
        }
    }
    QList<int> all;
    for (int line = 1; line <= 100; ++line)
        all << line;
    EXPECT_EQ(lines, all);
    EXPECT_EQ(amounts.first(), Q("1,000"));
    EXPECT_EQ(amounts.last(), Q("100,000"));
}

// The tables read back from a database: bodies find their headers by
// "HeaderID" also where the body table has no ID (transfer requests).
TEST(WorkDocumentLoad, BodiesJoinTheirHeaders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString err;
    ASSERT_EQ(
        CMakeMsgID::CreateDatabase(CMakeMsgID::DatabasePath(dir.path()), QDateTime::currentDateTime(), err),
        1);
    CMakeMsgID data;
    ASSERT_EQ(data.Open(dir.path(), err), 1);
    ASSERT_EQ(data.Execute(Q("INSERT INTO WBank_H(ID, Bank) VALUES (1, '青葉銀行'), (2, '赤坂銀行')"), err),
              1);
    ASSERT_EQ(
        data.Execute(Q("INSERT INTO WBank_B(HeaderID, BankOnesName, Amount) VALUES "
                       "(2, '丸の内製作所', 15000000000), (1, '九段工業', 20000), (2, '四谷商会', 30000)"),
                     err),
        1);
    CWorkDocument document(13);
    ASSERT_EQ(LoadWorkDocument(data, document, err), 1) << err.toStdString();
    ASSERT_EQ(document.GetPageCount(), 2);
    const QStringList first = PageTexts(document, 0), second = PageTexts(document, 1);
    EXPECT_TRUE(first.contains(Q("青葉銀行")));
    EXPECT_TRUE(first.contains(Q("九段工業")));
    EXPECT_FALSE(first.contains(Q("四谷商会")));
    EXPECT_LT(second.indexOf(Q("丸の内製作所")), second.indexOf(Q("四谷商会")));
    EXPECT_TRUE(second.contains(Q("1,500,000")));
    CWorkDocument none(5);
    EXPECT_EQ(LoadWorkDocument(data, none, err), 10);
}

// The print path writes every page into a PDF whose text layer holds the
// header's values; an empty document refuses with a word.
TEST(WorkDocumentPdf, TextLayerHoldsTheHeader)
{
    ScopedFakeUi ui;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CCDSData headers, bodies;
    COneRecord header = MakeRecord(Q("WShime_H"), 1, 1, 0);
    header.SetField(Q("WShime_H.Company"), Q("アオバ商事株式会社"));
    header.SetField(Q("WShime_H.Total"), CMny(1234567));
    headers.Add(header);
    bodies.Add(MakeRecord(Q("WShime_B"), 2, 1, 1));
    auto document = std::make_shared<CWorkDocument>(6);
    document->SetRows(std::move(headers), std::move(bodies));
    const QString path = dir.filePath(Q("invoice.pdf"));
    ASSERT_TRUE(SaveWorkDocumentPdf(document, path));

    QProcess text;
    text.start(Q("pdftotext"), {Q("-enc"), Q("UTF-8"), path, Q("-")});
    ASSERT_TRUE(text.waitForFinished(30000)) << "pdftotext (poppler-utils) is needed";
    // Some ideographs come back as their radical look-alikes; the values
    // checked here avoid them.
    const QString layer =
        QString::fromUtf8(text.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
    EXPECT_TRUE(layer.contains(Q("締め請求書"))) << layer.toStdString();
    EXPECT_TRUE(layer.contains(Q("アオバ商事株式会社"))) << layer.toStdString();
    EXPECT_TRUE(layer.contains(Q("1,234,567")));

    auto empty = std::make_shared<CWorkDocument>(6);
    EXPECT_FALSE(SaveWorkDocumentPdf(empty, dir.filePath(Q("none.pdf"))));
    EXPECT_EQ(ui.Prompt().Texts(), QStringList({Q("印刷するデータがありません。")}));
    EXPECT_FALSE(QFile::exists(dir.filePath(Q("none.pdf"))));
}
