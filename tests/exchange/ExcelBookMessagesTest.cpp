#include "TestPaths.h"
#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "platform/office/XlsCrypt.h"
#include "platform/ui/FakeUi.h"
#include "support/XlsBytes.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

using namespace XlsBytes;

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray Formula(quint16 row, quint16 column, const QByteArray& result)
{
    return Record(0x0006, Cell(row, column, 0) + result + U16(0) + U32(0) + U16(0));
}

// Each kind of book that cannot be read says why, naming the file; an Excel
// 95 book of formulas comes in with their stored results.
TEST(ExcelBookMessages, BooksThatCannotBeReadSayWhyAndExcel95FormulasComeIn)
{
    const QByteArray textResult("\0\0\0\0\0\0\xFF\xFF", 8);
    const QByteArray excel95 = Stream(5, Record(0x0042, U16(932)),
                                      {{Bytes("\x8C\xDA\x8B\x71", true),                            // 顧客
                                        Record(0x0204, Cell(0, 0, 0) + Bytes("\x8B\xE0\x8A\x7A")) + // 金額
                                            Formula(0, 1, F64(1246912.89012345)) + Formula(1, 0, textResult) +
                                            Record(0x0207, Bytes("\x8D\x87\x8C\x76")) + // 合計
                                            Formula(1, 1, F64(2))}});
    const QByteArray biff4 = [] {
        QByteArray stream = Stream(8, {}, {{Unicode(U("S"), true), Record(0x0203, Cell(0, 0, 0) + F64(1))}});
        stream[1] = 0x04;
        return stream;
    }();
    // RC4 with a password of the user's own: a verifier that the built-in
    // password does not open.
    QByteArray filePass = U16(1) + U16(1) + U16(1) + QByteArray(48, '\x5A');
    const QByteArray locked = Stream(8, Record(0x002F, filePass), {{Unicode(U("S"), true), {}}});
    const QByteArray lostResult = Stream(8, {}, {{Unicode(U("S"), true), Formula(2, 3, textResult)}});
    const QByteArray charts = [] {
        QByteArray stream = Stream(8, {}, {{Unicode(U("Chart1"), true), {}}});
        const qsizetype bound = stream.indexOf(QByteArray("\x85\x00", 2));
        stream[bound + 4 + 5] = 0x02; // a chart sheet
        return stream;
    }();

    const QByteArray lostString = Stream(8, Record(0x00FC, U32(2) + U32(2) + Unicode(U("a"))),
                                         {{Unicode(U("S"), true), Record(0x00FD, Cell(4, 1, 0) + U32(1))}});
    QFile unresolved(QStringLiteral(CORVANTA_FIXTURES "/real/xlsx/wtf_path.xlsx"));
    ASSERT_TRUE(unresolved.open(QIODevice::ReadOnly));

    const QString retry =
        U("Excelで開き、「Excel ブック（*.xlsx）」の形式で保存し直してから読み込んでください。");
    const struct {
        const char* what;
        QByteArray file;
        QString message; // empty: read
        CImportRows rows;
    } cases[] = {
        {"Excel 95 formulas",
         Compound({{U("Book"), excel95}}),
         {},
         {{"1", U("金額"), "1246912.890"}, {"2", U("合計"), "2"}}},
        {"Excel 4.0",
         Compound({{U("Workbook"), biff4}}),
         U("book.xlsはExcelのブックですが、この形式は読み込めません。\n"
           "（Excel 5.0/95より前の形式か、読み込めない方式で暗号化されたブックです。）\n") +
             retry,
         {}},
        {"Excel 2.1, outside a compound file",
         Record(0x0009, U16(2) + U16(0x0010)) + Eof(),
         U("book.xlsはExcelのブックですが、この形式は読み込めません。\n"
           "（Excel 5.0/95より前の形式か、読み込めない方式で暗号化されたブックです。）\n") +
             retry,
         {}},
        {"a shared string the book lost",
         Compound({{U("Workbook"), lostString}}),
         U("book.xlsのセルB5は、文字列がブックに残っていないため読み込めません。\n"
           "Excelで開いて確かめ、保存し直してから読み込んでください。"),
         {}},
        {"an .xlsx formula saved without its result",
         unresolved.readAll(),
         U("book.xlsのセルD1は、数式の結果が読み込めません。\n"
           "Excelで開いて再計算し、保存し直してから読み込んでください。"),
         {}},
        {"an Excel 95 book in a code page no decoder reads",
         Compound(
             {{U("Book"), Stream(5, Record(0x0042, U16(10004)),
                                 {{Bytes("S", true), Record(0x0204, Cell(0, 0, 0) + Bytes("\xC7\xD1"))}})}}),
         U("book.xlsはExcel 5.0/95のブックですが、その文字コードには対応していないため読み込めません。\n") +
             retry,
         {}},
        {"a number format's code longer than Excel keeps",
         Compound(
             {{U("Workbook"), Stream(8, Record(0x041E, U16(200) + Unicode(QString(256, u'0'))),
                                     {{Unicode(U("S"), true), Record(0x0203, Cell(0, 0, 0) + F64(1))}})}}),
         U("book.xlsを開けませんでした。\nExcelのブック（.xlsx/.xls）ではないか、壊れています。"),
         {}},
        {"a user's password",
         Compound({{U("Workbook"), locked}}),
         U("book.xlsはパスワードで保護されているため読み込めません。\n"
           "Excelで開いてパスワードを解除し、保存し直してから読み込んでください。"),
         {}},
        {"an encrypted .xlsx",
         Compound({{U("EncryptionInfo"), QByteArray(300, '\x04')},
                   {U("EncryptedPackage"), QByteArray(9000, 'x')}}),
         U("book.xlsはパスワードで保護されているため読み込めません。\n"
           "Excelで開いてパスワードを解除し、保存し直してから読み込んでください。"),
         {}},
        {"a lost formula result",
         Compound({{U("Workbook"), lostResult}}),
         U("book.xlsのセルD3は、数式の結果が読み込めません。\n"
           "Excelで開いて再計算し、保存し直してから読み込んでください。"),
         {}},
        {"sheets that cannot be found",
         Compound({{U("Workbook"), Stream(8, {}, {})}}),
         U("book.xlsを開けませんでした。\nExcelのブック（.xlsx/.xls）ではないか、壊れています。"),
         {}},
        {"no worksheet",
         Compound({{U("Workbook"), charts}}),
         U("book.xlsを開けませんでした。\nExcelのブック（.xlsx/.xls）ではないか、壊れています。"),
         {}},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedFakeUi ui;
        CScriptedExchangeDialogs dialogs;
        const QString path = dir.filePath(QStringLiteral("book.xls"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.file);
        file.close();
        CExcelApp app;
        app.SetPath(path);
        CImportRows rows;
        const int result = app.ReadSheet(&rows);
        if (c.message.isEmpty()) {
            EXPECT_EQ(result, 1);
            EXPECT_TRUE(ui.Prompt().Texts().isEmpty());
            EXPECT_EQ(rows.mid(1), c.rows);
            continue;
        }
        EXPECT_EQ(result, 0);
        EXPECT_EQ(ui.Prompt().Texts(), QStringList{c.message});
    }
}

} // namespace
