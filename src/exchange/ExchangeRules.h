#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// The rules of the small import dialogs, without widgets: the dialogs show
// them, and the scripted dialogs of the tests drive them directly.

// Which file format to import or export. Modes: 0 import, all four formats;
// 1 export without Access; 2 import without ContactXML; 3 export without
// Access and ContactXML.
class CImportFormatRules
{
  public:
    enum Choice { kAccess = 0, kExcel = 1, kText = 2, kContactXml = 3 };

    explicit CImportFormatRules(int mode) : m_nMode(mode) {}

    QString GetCaption() const;
    QString GetPrompt() const;
    static QString ChoiceText(int choice);
    bool IsChoiceShown(int choice) const;

    // OK: refused, with "形式を選択してください", while nothing is chosen.
    bool OnOK();

    int m_nMode;
    int m_nChoice = -1; // no radio set at opening
};

// The delimiter of a text file, with a preview of the file's beginning.
class CTextFormatRules
{
  public:
    enum Choice { kComma = 0, kTab = 1, kSpace = 2, kOther = 3 };
    static constexpr qint64 kPreviewBytes = 62464;

    CTextFormatRules(const QString& path, int choice) : m_strPath(path), m_nChoice(choice) {}

    // Opening: the other-delimiter edit is enabled for choice 3, the file's
    // encoding decided and the preview loaded; false (after the file's
    // message, or when the encoding question was cancelled) ends the dialog.
    bool OnInitDialog();
    bool LoadPreview();

    // A click on comma, tab or space: the other delimiter is emptied and its
    // edit disabled.
    void OnFixedDelimiter(int choice);
    // A click on "その他": its edit is enabled (and takes the focus).
    void OnOtherDelimiter();
    // The edit's text changed: one single-byte character stays; a character
    // of two bytes in CP932 is removed; a double quote is refused with its
    // message and removed.
    void OnChangeOther(const QString& text);

    // The delimiter of the choice: ',', tab, ' ', or the other character
    // (null when none was typed: every line is then one value).
    QChar GetDelimiter() const;

    const QString& GetPath() const { return m_strPath; }
    const QString& GetPreview() const { return m_strPreview; }
    int GetChoice() const { return m_nChoice; }
    // The file's encoding (CCsvReader::Encoding), decided at opening: the
    // reader takes it so as not to ask again.
    int GetEncoding() const { return m_nEncoding; }
    bool IsOtherEnabled() const { return m_bOtherEnabled; }
    const QString& GetOther() const { return m_strOther; }

  private:
    QString m_strPath;
    QString m_strPreview;
    int m_nChoice;
    int m_nEncoding = 0;
    QString m_strOther;
    bool m_bOtherEnabled = false;
};

// Which sheet of a workbook to read. The caller fills the names; the first
// is selected at opening.
// The table choice of an Access database ("ﾃｰﾌﾞﾙの選択"): the tables in
// the order given, nothing selected at opening.
class CTableSelectRules
{
  public:
    // Opening: false, after "引数が不正です", without names to offer.
    bool OnInitDialog();
    // OK: refused, with "テーブルを選択してください", while nothing is
    // selected; else the selected name becomes the chosen one.
    bool OnOK();

    const QStringList* m_pNames = nullptr;
    int m_nSelected = -1;
    QString m_strChosen;
};

class CSheetSelectRules
{
  public:
    void OnInitDialog() { m_nSelected = m_names.isEmpty() ? -1 : 0; }
    // OK: refused, with "シート名を選択してください.", while nothing is
    // selected; else the selected name becomes the chosen one.
    bool OnOK();

    QStringList m_names;
    int m_nSelected = -1;
    QString m_strChosen;
};
