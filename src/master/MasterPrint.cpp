#include "master/MasterPrint.h"

#include "app/FieldCodes.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/Record.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/Clock.h"
#include "platform/ui/PrintCanvas.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/BunruiData.h"
#include "settings/CompanyInfo.h"

#include <QHash>
#include <QPageSize>
#include <QPrinter>

namespace
{

constexpr int kLeft = 200; // from the sheet's left edge
constexpr int kTop = 200;  // from the sheet's top edge
constexpr int kWidth = 1700;
constexpr int kHeaderRow = 50;
constexpr int kLine = 44;
constexpr int kRulePen = 3; // dots
const QString kYen = QStringLiteral(u"¥");

QString Face()
{
    return QStringLiteral(u"ＭＳ 明朝");
}

QString DirectoryTitle(EMasterKind kind)
{
    switch (kind) {
    case EMasterKind::Item:
        return QStringLiteral("商品台帳");
    case EMasterKind::Customer:
        return QStringLiteral("得意先名簿");
    case EMasterKind::Supplier:
        return QStringLiteral("仕入先名簿");
    }
    return {};
}

// Only the ASCII white space goes, as the name is stored with its own
// full-width blanks.
QString TrimAscii(const QString& text)
{
    const auto blank = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
    };
    qsizetype first = 0, last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

QString NoBreaks(QString text)
{
    text.remove(QStringLiteral("\r\n"));
    text.remove(u'\n');
    return text;
}

// The texts of a record's fields by their exact full names, and which are there.
class CFieldTexts
{
  public:
    CFieldTexts(const COneRecord& record, const QString& table) : m_prefix(table + u'.')
    {
        for (int i = 0; i < record.GetCount(); ++i) {
            const CTb* field = record.GetAt(i);
            if (field->GetName().startsWith(m_prefix))
                m_texts.insert(field->GetName().mid(m_prefix.size()),
                               NoBreaks(GetFieldDisplayText(field, 0)));
        }
    }
    bool Has(const char* name) const { return m_texts.contains(QLatin1String(name)); }
    QString operator[](const char* name) const { return m_texts.value(QLatin1String(name)); }
    // caption + text, or a null text when the record has no such field.
    QString Captioned(const QString& caption, const char* name) const
    {
        return Has(name) ? caption + (*this)[name] : QString();
    }
    QString FullName() const
    {
        return TrimAscii((*this)["Company"] + u' ' + (*this)["Section"] + u' ' + (*this)["Name"]);
    }
    QString Reading() const { return TrimAscii((*this)["PhoenicCompany"] + u' ' + (*this)["PhoenicPerson"]); }

  private:
    QString m_prefix;
    QHash<QString, QString> m_texts;
};

void AppendClassLines(QStringList& lines, const CFieldTexts& f, const QStringList& captions)
{
    static const char* const kClass[] = {"Class1", "Class2", "Class3", "Class4", "Class5"};
    for (int i = 0; i < 5; ++i)
        lines << f.Captioned(captions.value(i) + QStringLiteral("："), kClass[i]);
}

QStringList AddressLines(const CFieldTexts& f, const char* codeField)
{
    return {f[codeField] + u' ' + f.FullName(), f.Reading(), f["Zip"] + u' ' + f["Address"],
            QStringLiteral("TEL：") + f["TEL"] + QStringLiteral("／FAX：") + f["FAX"] +
                QStringLiteral("／E-mail：") + f["E-mail"]};
}

// Lines 0-6 of both partner blocks and line 8's collection part.
QStringList PartnerHead(const CFieldTexts& f, const char* codeField)
{
    return {QStringLiteral("取引先名：") + f[codeField] + u' ' + f.FullName(),
            QStringLiteral("フリガナ：") + f.Reading(),
            QStringLiteral("郵便番号：") + f["Zip"],
            QStringLiteral("所在地：") + f["Address"],
            QStringLiteral("TEL：") + f["TEL"] + QStringLiteral("／FAX：") + f["FAX"],
            QStringLiteral("E-mail：") + f["E-mail"],
            QStringLiteral("自社担当者：") + f["MyPerson"] + QStringLiteral("／相手先指定コード：") +
                f["OnesCode"]};
}

QString TermsTail(const CFieldTexts& f)
{
    return f["Day"] + QStringLiteral("締 税転嫁") + f["TaxType"] + QStringLiteral(" 税端数") +
           f["TaxRoundType"] + QStringLiteral(" 金額端数") + f["RoundType"];
}

QString CollectionLine(const QString& caption, const CFieldTexts& f)
{
    return caption + f["CollectCycle"] + u' ' +
           MasterPrintText::CollectionDayText(f["CollectCycle"], f["CollectDay"]) + u' ' + f["CollectType"];
}

} // namespace

namespace MasterPrintText
{

QString FieldText(const COneRecord& record, const QString& name)
{
    for (int i = 0; i < record.GetCount(); ++i) {
        if (record.GetAt(i)->GetName() == name)
            return NoBreaks(GetFieldDisplayText(record.GetAt(i), 0));
    }
    return {};
}

QString CollectionDayText(const QString& cycle, const QString& day)
{
    if (cycle == QStringLiteral("請求後"))
        return day + QStringLiteral("日");
    return day == QStringLiteral("99") ? QStringLiteral("月末") : day + QStringLiteral("日");
}

QStringList ItemLines(const COneRecord& record, const QStringList& captions)
{
    const CFieldTexts f(record, QStringLiteral("Item"));
    QStringList lines{f.Captioned(QStringLiteral("品番："), "ItemCode"),
                      f.Captioned(QStringLiteral("品名："), "ItemName"),
                      f.Captioned(QStringLiteral("フリガナ："), "Phoenic"),
                      f.Captioned(QStringLiteral("JANコード："), "JANCode")};
    // Each part of the price lines is there only with its field; the blanks stay.
    const QString price = f.Captioned(QStringLiteral("売価：") + kYen, "Price");
    const QString tax = f.Has("TaxFlg") ? u'(' + f["TaxFlg"] + u')' : QString();
    const QString fix =
        f.Has("FixPrice") ? QStringLiteral("（統一伝票用売価：") + kYen + f["FixPrice"] + QStringLiteral("）")
                          : QString();
    lines << price + u' ' + tax + u' ' + fix;
    const QString cost = f.Captioned(QStringLiteral("原価：") + kYen, "Cost");
    const QString tax2 = f.Has("TaxFlg2") ? u'(' + f["TaxFlg2"] + u')' : QString();
    lines << cost + u' ' + tax2;
    AppendClassLines(lines, f, captions);
    lines << f.Captioned(QStringLiteral("備考："), "Remarks");
    return lines;
}

QStringList CustomerLines(const COneRecord& record, int variant, const QStringList& captions)
{
    const CFieldTexts f(record, QStringLiteral("Customer"));
    if (variant == 1)
        return AddressLines(f, "CustomerCode");
    QStringList lines = PartnerHead(f, "CustomerCode");
    lines << QStringLiteral("販売方法：掛率 ") + f["Percent"] + QStringLiteral("％ ") + TermsTail(f);
    lines << CollectionLine(QStringLiteral("入金方法："), f);
    lines << (f.Has("Ceiling")
                  ? QStringLiteral("与信限度額：") + kYen + InsertThousandsSeparators(f["Ceiling"])
                  : QString());
    AppendClassLines(lines, f, captions);
    lines << f.Captioned(QStringLiteral("メモ："), "Memo");
    return lines;
}

QStringList SupplierLines(const COneRecord& record, int variant, const QStringList& captions)
{
    const CFieldTexts f(record, QStringLiteral("Supplier"));
    if (variant == 1)
        return AddressLines(f, "SupplierCode");
    QStringList lines = PartnerHead(f, "SupplierCode");
    lines << QStringLiteral("仕入方法：") + TermsTail(f);
    lines << CollectionLine(QStringLiteral("支払方法："), f);
    lines << QStringLiteral("振込方法：") + f["BankCode"] + u' ' + f["Bank"] + u' ' + f["BankBranchCode"] +
                 u' ' + f["BankBranch"];
    lines << QString(14, u' ') + f["BankAccountType"] + QStringLiteral(" 口座番号") + f["BankNumber"] + u' ' +
                 f["PaymentType"] + u' ' + f["BankType"] + u' ' + f["BankFee"];
    AppendClassLines(lines, f, captions);
    return lines;
}

} // namespace MasterPrintText

int GetRecordsPerPage(const CMasterKind& kind, int variant)
{
    if (!kind.side)
        return 4;
    return variant == 1 ? 13 : 3;
}

int GetLinesPerBlock(const CMasterKind& kind, int variant)
{
    if (!kind.side)
        return 12;
    return variant == 1 ? 4 : 16;
}

bool ApplyPaper(QPrinter& printer, const QList<QPageSize>& supported, int paper, int orientation)
{
    return PrintJob::ApplyPaper(printer, supported, paper, orientation);
}

bool SetDefaultPaper(int paper, int orientation)
{
    return PrintJob::SetDefaultPaper(paper, orientation);
}

CMasterPrintDoc::CMasterPrintDoc(const CMasterKind& kind, int variant, Selection selection)
    : m_kind(kind), m_printVariant(kind.side ? variant : 0), m_selection(std::move(selection)),
      m_paperRule([] { return SetDefaultPaper(9, 1); })
{
}

bool CMasterPrintDoc::OnPreparePrinting(CPrintInfo& info)
{
    const CWaitCursor wait;
    m_printRecords = m_selection ? m_selection() : Records();
    // The preview's print button prepares again: the selection may be gone.
    if (m_printRecords.isEmpty()) {
        UiServices::Prompt().MessageBox(QStringLiteral("印刷するデータを選択してください。\n"));
        return false;
    }
    if (m_paperRule && !m_paperRule())
        return false;
    const int perPage = GetRecordsPerPage();
    const int count = int(m_printRecords.size());
    info.m_nMinPage = 1;
    info.m_nMaxPage = count / perPage + (count % perPage ? 1 : 0);
    return true;
}

void CMasterPrintDoc::OnBeginPrinting(IPrintCanvas&, CPrintInfo&)
{
    CBunruiData titles;
    m_captions.clear();
    for (int i = 0; i < 5; ++i)
        m_captions << titles.GetTitle(m_kind.columnSet, i);
    m_strCompany = ReadCompanyInfoItem(0);
}

void CMasterPrintDoc::OnPrint(IPrintCanvas& canvas, CPrintInfo& info)
{
    PrintPage(canvas, info.m_nCurPage);
}

void CMasterPrintDoc::OnEndPrinting(IPrintCanvas&, CPrintInfo&)
{
    m_printRecords.clear();
}

void CMasterPrintDoc::PrintPage(IPrintCanvas& canvas, int page)
{
    const int right = kLeft + kWidth;
    const auto row = [&](int n) {
        return CPrintRect{kLeft, kTop + n * kHeaderRow, right, kTop + (n + 1) * kHeaderRow};
    };
    const int middle = IPrintCanvas::kVCenter;

    canvas.SetFont(Face(), 14);
    canvas.DrawText(row(0), DirectoryTitle(m_kind.kind), IPrintCanvas::kCenter | middle);
    canvas.SetFont(Face(), 11);
    canvas.DrawText(row(1), QStringLiteral("ページ%1").arg(page), IPrintCanvas::kRight | middle);
    canvas.DrawText(row(2), m_strCompany, IPrintCanvas::kLeft | middle);
    canvas.DrawText(row(2), UiServices::Clock().Today().toString(QStringLiteral("yyyy/MM/dd")),
                    IPrintCanvas::kRight | middle);
    canvas.DrawLine(kLeft, row(2).bottom, right, row(2).bottom, kRulePen);
    QString heading = QStringLiteral("商品情報");
    if (m_kind.side)
        heading = m_printVariant == 1 ? QStringLiteral("コード　得意先名　フリガナ　住所　TEL／FAX／E-mail")
                                      : QStringLiteral("所在地／販売情報／分類");
    canvas.DrawText(row(3), heading, IPrintCanvas::kCenter | middle);
    canvas.DrawLine(kLeft, row(3).bottom, right, row(3).bottom, kRulePen);

    const int perPage = GetRecordsPerPage();
    const int block = GetLinesPerBlock(m_kind, m_printVariant) * kLine;
    const int first = kTop + 4 * kHeaderRow;
    for (int i = 0; i < perPage; ++i) {
        const qsizetype index = qsizetype(page - 1) * perPage + i;
        if (index < 0 || index >= m_printRecords.size() || !m_printRecords[index])
            continue;
        PrintRecordBlock(canvas, m_printRecords[index].get(),
                         CPrintRect{kLeft, first + i * block, right, first + (i + 1) * block});
    }
}

int CMasterPrintDoc::PrintRecordBlock(IPrintCanvas& canvas, const COneRecord* record, const CPrintRect& rect)
{
    if (!record)
        return 0;
    switch (m_kind.kind) {
    case EMasterKind::Item:
        return PrintItemBlock(canvas, record, rect);
    case EMasterKind::Customer:
        return PrintCustomerBlock(canvas, record, rect);
    case EMasterKind::Supplier:
        return PrintSupplierBlock(canvas, record, rect);
    }
    return 1;
}

void CMasterPrintDoc::DrawLines(IPrintCanvas& canvas, const QStringList& lines, const CPrintRect& rect)
{
    canvas.DrawLine(rect.left, rect.bottom, rect.right, rect.bottom, 0);
    for (int k = 0; k < lines.size(); ++k) {
        if (lines[k].isNull())
            continue;
        canvas.DrawText({rect.left, rect.top + k * kLine, rect.right, rect.top + (k + 1) * kLine}, lines[k],
                        IPrintCanvas::kLeft | IPrintCanvas::kVCenter | IPrintCanvas::kClip);
    }
}

int CMasterPrintDoc::PrintItemBlock(IPrintCanvas& canvas, const COneRecord* record, const CPrintRect& rect)
{
    if (!record)
        return 0;
    DrawLines(canvas, MasterPrintText::ItemLines(*record, m_captions), rect);
    return 1;
}

int CMasterPrintDoc::PrintCustomerBlock(IPrintCanvas& canvas, const COneRecord* record,
                                        const CPrintRect& rect)
{
    if (!record)
        return 0;
    DrawLines(canvas, MasterPrintText::CustomerLines(*record, m_printVariant, m_captions), rect);
    return 1;
}

int CMasterPrintDoc::PrintSupplierBlock(IPrintCanvas& canvas, const COneRecord* record,
                                        const CPrintRect& rect)
{
    if (!record)
        return 0;
    DrawLines(canvas, MasterPrintText::SupplierLines(*record, m_printVariant, m_captions), rect);
    return 1;
}

bool AskListPrint(const CMasterKind& kind, int selectedCount, int& variant)
{
    IPrompt& prompt = UiServices::Prompt();
    if (selectedCount < 1) {
        prompt.MessageBox(QStringLiteral("印刷するデータを選択してください。\n"));
        return false;
    }
    if (prompt.MessageBox(
            QStringLiteral("選択されている%1件の情報を印刷します。よろしいですか？").arg(selectedCount),
            MB_YESNO, MB_ICONQUESTION) != IDYES)
        return false;
    variant = 0;
    if (kind.side) {
        int choice = 0;
        if (RunChoiceDialog(4, choice) != IDOK) {
            prompt.MessageBox(QStringLiteral("印刷を中止します。"));
            return false;
        }
        variant = choice;
    }
    return true;
}
