#include "platform/office/QRTData.h"

#include "platform/archive/SafeFile.h"
#include "platform/env/RegistryIni.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>

namespace
{

// One record a line: tab-separated fields, with backslash, tab and line
// breaks escaped, in UTF-8.
QString Escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString Unescape(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            const QChar n = text[++i];
            out += n == u't' ? QChar(u'\t') : n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The import's one question: overwrite, and where the address parts break.
class CQRTImportDlg : public QDialog
{
  public:
    explicit CQRTImportDlg(const CImportQRTData& data)
    {
        setWindowTitle(QStringLiteral("Velmiraのデータ読み込み"));
        auto* layout = new QVBoxLayout(this);
        const auto box = [&](const char* name, const QString& text, int checked) {
            auto* check = new QCheckBox(text, this);
            check->setObjectName(QLatin1String(name));
            check->setChecked(checked != 0);
            layout->addWidget(check);
            return check;
        };
        m_pOverwrite = box("overwrite", QStringLiteral("同じコードのデータは上書きする"), data.m_bOverwrite);
        m_pJoin1 = box("join1", QStringLiteral("住所１の後で改行する"), data.m_bJoin1);
        m_pJoin2 = box("join2", QStringLiteral("住所２の後で改行する"), data.m_bJoin2);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    }
    void Take(CImportQRTData& data) const
    {
        data.m_bOverwrite = m_pOverwrite->isChecked() ? 1 : 0;
        data.m_bJoin1 = m_pJoin1->isChecked() ? 1 : 0;
        data.m_bJoin2 = m_pJoin2->isChecked() ? 1 : 0;
    }

  private:
    QCheckBox* m_pOverwrite;
    QCheckBox* m_pJoin1;
    QCheckBox* m_pJoin2;
};

void Complain(const QString& text)
{
    UiServices::Prompt().MessageBox(text, MB_OK, MB_ICONEXCLAMATION);
}

constexpr int kCustomerFields = 33;

} // namespace

CExportRireki::CExportRireki() = default;

int CExportRireki::CheckInstVer()
{
    m_strFolder = CRegistryIni().GetString(QString::fromLatin1(kRegistryKey), QStringLiteral("InstalledDir"));
    if (m_strFolder.isEmpty() || !QFileInfo(m_strFolder).isDir()) {
        m_strFolder.clear();
        m_strError = QStringLiteral("Velmiraが設定されていないため、書き出しできません。");
        return 0;
    }
    return 1;
}

int CExportRireki::SetRireki(const QString& partnerCode, const CQXRireki& record)
{
    m_records.append({partnerCode, record});
    return 1;
}

int CExportRireki::Export()
{
    if (m_strFolder.isEmpty() && CheckInstVer() != 1)
        return 0;
    const QString path = ResolveForWrite(m_strFolder, QString::fromLatin1(kFileName));
    QByteArray bytes;
    if (QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            m_strError = QStringLiteral("履歴ファイルを読み込めません。\n") + path;
            return 0;
        }
        bytes = file.readAll();
    } else {
        bytes = QByteArray(kMagic) + '\n';
    }
    if (!bytes.startsWith(QByteArray(QByteArray(kMagic) + '\n'))) {
        m_strError = QStringLiteral("履歴ファイルの形式が正しくありません。\n") + path;
        return 0;
    }
    for (const auto& [code, r] : m_records) {
        const QStringList fields{Escape(code),          r.m_dtDate.toString(Qt::ISODate),
                                 Escape(r.m_strPerson), QString::number(r.m_dTotal, 'f', 4),
                                 Escape(r.m_strKind),   Escape(r.m_strMemo),
                                 Escape(r.m_strTitle)};
        bytes += fields.join(u'\t').toUtf8() + '\n';
    }
    if (!AtomicWriteFile(path, bytes)) {
        m_strError = QStringLiteral("履歴ファイルを書き込めません。\n") + path;
        return 0;
    }
    m_records.clear();
    return 1;
}

bool CExportRireki::ReadHistory(const QString& path, QList<QPair<QString, CQXRireki>>& records)
{
    records.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.isEmpty() || lines[0] != QByteArray(kMagic))
        return false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QStringList f = QString::fromUtf8(lines[i]).split(u'\t');
        if (f.size() != 7)
            return false;
        CQXRireki r;
        r.m_dtDate = QDateTime::fromString(f[1], Qt::ISODate);
        r.m_strPerson = Unescape(f[2]);
        r.m_dTotal = f[3].toDouble();
        r.m_strKind = Unescape(f[4]);
        r.m_strMemo = Unescape(f[5]);
        r.m_strTitle = Unescape(f[6]);
        records.append({Unescape(f[0]), r});
    }
    return true;
}

QString CImportQRTData::CustomerFile(const char* refusal)
{
    const QString folder = CRegistryIni().GetString(QString::fromLatin1(CExportRireki::kRegistryKey),
                                                    QStringLiteral("InstalledDir"));
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        Complain(QString::fromUtf8(refusal));
        return {};
    }
    return ResolveForWrite(folder, QString::fromLatin1(kFileName));
}

QByteArray CImportQRTData::Format(const QList<CKokyaku>& customers)
{
    QByteArray bytes = QByteArray(kMagic) + '\n';
    for (const CKokyaku& k : customers) {
        QStringList f{
            k.m_strCode,    QString::number(k.m_nKind), k.m_strName,    k.m_strPhoenicName, k.m_strKeisho,
            k.m_strCompany, k.m_strPhoenicCompany,      k.m_strSection, k.m_strMyPerson};
        for (const CKokyaku::CBlock* b : {&k.m_personal, &k.m_company})
            f << b->m_strZip << b->m_strAddress1 << b->m_strAddress2 << b->m_strAddress3 << b->m_strTel
              << b->m_strFax;
        for (const QString& mail : k.m_strMail)
            f << mail;
        f << QString::number(k.m_nMailSelect) << QString::number(k.m_nDay) << QString::number(k.m_nTaxType)
          << k.m_strCollectType << k.m_strClass1 << k.m_strClass2 << k.m_strMemo;
        for (QString& text : f)
            text = Escape(text);
        bytes += f.join(u'\t').toUtf8() + '\n';
    }
    return bytes;
}

bool CImportQRTData::Parse(const QByteArray& bytes, QList<CKokyaku>& customers)
{
    customers.clear();
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.isEmpty() || lines[0] != QByteArray(kMagic))
        return false;
    QList<CKokyaku> read;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QString line = QString::fromUtf8(lines[i]);
        if (line.toUtf8() != lines[i])
            return false; // not UTF-8
        QStringList f = line.split(u'\t');
        if (f.size() != kCustomerFields)
            return false;
        for (QString& text : f)
            text = Unescape(text);
        bool ok[4] = {};
        CKokyaku k;
        int n = 0;
        k.m_strCode = f[n++];
        k.m_nKind = f[n++].toInt(&ok[0]);
        k.m_strName = f[n++];
        k.m_strPhoenicName = f[n++];
        k.m_strKeisho = f[n++];
        k.m_strCompany = f[n++];
        k.m_strPhoenicCompany = f[n++];
        k.m_strSection = f[n++];
        k.m_strMyPerson = f[n++];
        for (CKokyaku::CBlock* b : {&k.m_personal, &k.m_company}) {
            b->m_strZip = f[n++];
            b->m_strAddress1 = f[n++];
            b->m_strAddress2 = f[n++];
            b->m_strAddress3 = f[n++];
            b->m_strTel = f[n++];
            b->m_strFax = f[n++];
        }
        for (QString& mail : k.m_strMail)
            mail = f[n++];
        k.m_nMailSelect = f[n++].toInt(&ok[1]);
        k.m_nDay = f[n++].toInt(&ok[2]);
        k.m_nTaxType = f[n++].toInt(&ok[3]);
        k.m_strCollectType = f[n++];
        k.m_strClass1 = f[n++];
        k.m_strClass2 = f[n++];
        k.m_strMemo = f[n++];
        if (!(ok[0] && ok[1] && ok[2] && ok[3]))
            return false;
        read << k;
    }
    customers = read;
    return true;
}

int CImportQRTData::ImportData()
{
    m_list.clear();
    const QString path = CustomerFile("Velmiraが設定されていないため、読み込みできません。");
    if (path.isEmpty())
        return 2;
    QFile file(path);
    if (!file.exists()) {
        Complain(QStringLiteral("Velmiraの顧客データがありません。\n") + path);
        return 2;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        Complain(QStringLiteral("Velmiraの顧客データを読み込めません。\n") + path);
        return 2;
    }
    if (!Parse(file.readAll(), m_list)) {
        Complain(QStringLiteral("Velmiraの顧客データの形式が正しくありません。\n") + path);
        return 2;
    }
    CQRTImportDlg dialog(*this);
    if (RunModal(dialog) != QDialog::Accepted) {
        m_list.clear();
        return 2;
    }
    dialog.Take(*this);
    return 1;
}

int CImportQRTData::ExportData()
{
    const QString path = CustomerFile("Velmiraが設定されていないため、書き出しできません。");
    if (path.isEmpty())
        return 2;
    QList<CKokyaku> stored;
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            Complain(QStringLiteral("Velmiraの顧客データを読み込めません。\n") + path);
            return 2;
        }
        // A damaged file is never overwritten: its customers would be lost.
        if (!Parse(file.readAll(), stored)) {
            Complain(QStringLiteral("Velmiraの顧客データの形式が正しくありません。\n") + path);
            return 2;
        }
        file.close();
    }
    for (const CKokyaku& k : std::as_const(m_list)) {
        auto same = k.m_strCode.isEmpty()
                        ? stored.end()
                        : std::find_if(stored.begin(), stored.end(),
                                       [&k](const CKokyaku& s) { return s.m_strCode == k.m_strCode; });
        if (same != stored.end())
            *same = k;
        else
            stored << k;
    }
    if (!AtomicWriteFile(path, Format(stored))) {
        Complain(QStringLiteral("Velmiraの顧客データを書き込めません。\n") + path);
        return 2;
    }
    return 1;
}
