#include "master/AddressLookup.h"

#include "master/AddressSelectDlg.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <functional>

namespace
{

QString& MountsFile()
{
    static QString path;
    return path;
}

void Inform(const QString& text)
{
    UiServices::Prompt().MessageBox(text, MB_OK, MB_ICONINFORMATION);
}

void Warn(const QString& text)
{
    UiServices::Prompt().MessageBox(text, MB_OK, MB_ICONEXCLAMATION);
}

const QString kNoPostcodeSearch = QStringLiteral("郵便番号データ検索ができません。\n");

// A dictionary that opened but whose pages cannot be read: every search
// fails, which is no "no data".
int ReportDamaged(const QString& path, const QString& consequence)
{
    Warn(QStringLiteral("辞書ファイル<%1>が壊れています。\n").arg(QDir::toNativeSeparators(path)) +
         consequence);
    return 0;
}

// /proc/mounts writes blanks and a few other bytes of a path as "\ooo".
QString Unescape(const QByteArray& field)
{
    QByteArray out;
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && QByteArray("01234567").contains(field[i + 1])) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QFile::decodeName(out);
}

// The wait cursor for the length of an opening.
class CWaitCursor
{
  public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
};

// Walks the dictionary's levels from `level` down to `leaf`, writing each
// level's name into its address part, and hands every complete path to
// `visit` (selecting an entry and searching on fills the next level).
void WalkDictionaryLevels(CZipDictionary& dic, CRLAddress& record, int level, int leaf,
                          const std::function<void(CRLAddress&)>& visit)
{
    if (level == leaf) {
        visit(record);
        return;
    }
    QString* const parts[] = {&record.m_strAddress1, &record.m_strAddress2, &record.m_strAddress3};
    for (int i = 0; i < dic.GetCount(level); ++i) {
        *parts[level] = dic.GetEntry(level, i)->m_strName;
        dic.SetSelected(level, i);
        if (dic.SearchNext() == 0)
            WalkDictionaryLevels(dic, record, level + 1, leaf, visit);
    }
}

} // namespace

CAddressLookup::~CAddressLookup()
{
    if (m_nTelOpen)
        m_telDirectory.Close();
    m_telDirectory.FreeDirectoryLibrary();
    if (m_nZipOpen == 0)
        m_zipDictionary.Close();
}

QString CAddressLookup::NormaliseNumber(const QString& text)
{
    return CTelDirectory::DigitsOf(text);
}

QString CAddressLookup::StripParenthesised(const QString& text)
{
    const qsizetype open = text.indexOf(u'（');
    if (open < 0)
        return text;
    const qsizetype close = text.indexOf(u'）', open + 1);
    if (close < 0)
        return text;
    return text.left(open) + text.mid(close + 1);
}

void CAddressLookup::SetMountsFile(const QString& path)
{
    MountsFile() = path;
}

QString CAddressLookup::FindDirectoryCD()
{
    QFile mounts(MountsFile().isEmpty() ? QStringLiteral("/proc/mounts") : MountsFile());
    if (!mounts.open(QIODevice::ReadOnly))
        return {};
    // /proc/mounts reports a size of 0; it is read line by line to its end.
    while (!mounts.atEnd()) {
        const QList<QByteArray> fields = mounts.readLine(4096).simplified().split(' ');
        if (fields.size() < 3 || (fields[2] != "iso9660" && fields[2] != "udf"))
            continue;
        QString root = Unescape(fields[1]);
        if (!root.endsWith(u'/'))
            root += u'/';
        if (QFileInfo(root + QStringLiteral("MorvekTel")).isDir())
            return root;
    }
    return {};
}

int CAddressLookup::OpenDictionary()
{
    if (m_nZipOpen == 0)
        return 1;
    QString postal, corporate;
    if (!CZipDictionary::GetDictionaryPaths(postal, corporate)) {
        Warn(QStringLiteral("郵便番号・住所検索のためのデータが取得できませんでした。\n"));
        return 0;
    }
    // Paths are used as they are: there are no short names to make.
    m_nZipOpen = m_zipDictionary.Open(postal, corporate);
    static const QHash<int, const char*> kMessages{{1, "パラメーターの内容に問題があります\n1\n"},
                                                   {2, "辞書ファイルをオープンできません\n2\n"},
                                                   {3, "メモリ不足です\n3\n"},
                                                   {4, "ファイルが壊れています\n4\n"},
                                                   {5, "辞書のバージョンが正しくありません\n5\n"},
                                                   {35, "法人辞書ファイルをオープンできません\n35\n"},
                                                   {36, "法人辞書のバージョンが正しくありません\n36\n"}};
    if (m_nZipOpen == 0)
        return 1;
    if (const char* text = kMessages.value(m_nZipOpen))
        Warn(QString::fromUtf8(text));
    Warn(QStringLiteral("データが開けませんでした。\n") + kNoPostcodeSearch);
    return 0;
}

int CAddressLookup::OpenTelDirectory()
{
    if (m_nTelOpen)
        return 1;
    CWaitCursor wait;
    if (!m_telDirectory.LoadDirectoryLibrary()) {
        Warn(QStringLiteral("電話番号検索のためのライブラリのロードに失敗しました。\n"));
        return 0;
    }
    const QString disc = FindDirectoryCD();
    QString hardDisk, difference;
    if (!CTelDirectory::GetDirectoryPaths(hardDisk, difference) && disc.isEmpty()) {
        Warn(QStringLiteral("電話番号検索のためのデータパスが取得できませんでした。\n"
                            "電話番号検索をするには、電話帳のCDをセットして操作しなおしてください。\n"));
        return 0;
    }
    m_nTelOpen = m_telDirectory.Open(
                     hardDisk, disc.isEmpty() ? QString() : disc + QStringLiteral("MorvekTel"), difference)
                     ? 1
                     : 0;
    if (!m_nTelOpen) {
        Warn(QStringLiteral("電話番号検索のためのデータが開けませんでした。\n電話番号からの検索、住所からの検"
                            "索ができません。\n"));
        return 0;
    }
    return 1;
}

int CAddressLookup::SearchByPostcode(const QString& text, QList<CRLAddress>& list, int scope)
{
    QString key = NormaliseNumber(text);
    if (key.isEmpty()) {
        Inform(QStringLiteral("郵便番号を半角数字で入力してください"));
        return 0;
    }
    if (key.size() < 3) {
        Inform(QStringLiteral("郵便番号を半角数字で3桁以上入力してください"));
        return 0;
    }
    if (key.size() < 7)
        key += u'*';
    if (!OpenDictionary())
        return 0;

    CZipDictionary& dic = m_zipDictionary;
    CRLAddress record;
    record.m_nSource = 2;
    if (scope == 0 || scope == 2) {
        dic.SetCorporate(false);
        dic.Reset();
        dic.SetKey(4, key);
        // Each complete path is one address with the postcode of its own
        // last entry.
        const int found = dic.Search();
        if (found != 0 && found != CZipDictionary::kNoHits)
            return ReportDamaged(dic.GetFilePath(false), kNoPostcodeSearch);
        if (found == 0)
            WalkDictionaryLevels(dic, record, 0, 3, [&dic, &list](CRLAddress& path) {
                for (int i = 0; i < dic.GetCount(3); ++i) {
                    const CZipEntry* rest = dic.GetEntry(3, i);
                    path.m_strAddress4 = rest->m_strName;
                    path.m_strPostcode = rest->m_bHasPostcode ? rest->m_strPostcode : QString();
                    list.append(path);
                }
            });
    }
    if (scope == 0 || scope == 1) {
        dic.SetCorporate(true);
        dic.Reset();
        dic.SetKey(4, key);
        record = CRLAddress();
        record.m_nSource = 2;
        const int found = dic.Search();
        if (found != 0 && found != CZipDictionary::kNoHits)
            return ReportDamaged(dic.GetFilePath(true), kNoPostcodeSearch);
        if (found == 0)
            WalkDictionaryLevels(dic, record, 0, 2, [&dic, &list](const CRLAddress& path) {
                for (int group = 0; group < 2; ++group) {
                    for (int c = 0; c < dic.GetCorpCount(group); ++c) {
                        const CCorpEntry* corp = dic.GetCorpEntry(group, c);
                        CRLAddress company = path;
                        company.m_strPostcode = corp->m_strPostcode;
                        company.m_strName = corp->m_strCompany;
                        company.m_strAddress4 = corp->m_strAddress;
                        list.append(company);
                    }
                }
            });
    }
    dic.SetCorporate(false);
    return 1;
}

int CAddressLookup::SearchByTelephone(const QString& text, QList<CRLAddress>& list)
{
    const QString number = NormaliseNumber(text);
    if (number.isEmpty()) {
        Inform(QStringLiteral("電話番号を半角数字で入力してください"));
        return 0;
    }
    if (!OpenTelDirectory())
        return 0;
    QList<CRLAddress> hits;
    if (m_telDirectory.Search(number, hits) == -1)
        return ReportDamaged(m_telDirectory.GetFailedPath(), QStringLiteral("電話番号検索ができません。\n"));
    for (CRLAddress hit : hits) {
        if (hit.m_nSource != 4)
            hit.m_nSource = 2;
        list.append(hit);
    }
    return 1;
}

int CAddressLookup::ChooseAddress(QList<CRLAddress>& list, int mode)
{
    if (list.isEmpty()) {
        Inform(QStringLiteral("該当するデータはありませんでした"));
        return 1;
    }
    if (list.size() == 1)
        return 1;
    CAddressSelectDlg dialog;
    dialog.SetList(&list);
    Q_UNUSED(mode); // both searches show the same columns
    if (RunModal(dialog) != QDialog::Accepted || dialog.GetChosen() < 0 || dialog.GetChosen() >= list.size())
        return 0;
    const CRLAddress chosen = list[dialog.GetChosen()];
    list = {chosen};
    return 1;
}
