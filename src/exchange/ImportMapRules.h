#pragma once

#include "exchange/ImportRows.h"
#include "settings/QXColSet.h"

#include <QList>
#include <QString>
#include <QStringList>

class CCDSData;
class COneRecord;
struct CMasterKind;

// A refused record as the refused-rows list keeps it: its source row, the
// texts of the fields the list shows, and its faulty fields as the library
// names them ("Customer.Day、Customer.CollectType"); not the record itself.
struct CImportRefusal {
    QString row;
    QStringList shown;
    QString errField;
    QString code; // the record's code as read, to say what is wrong with it
    // Its faulty amounts, each field ("Item.Price") with the text as read.
    QList<std::pair<QString, QString>> amounts;
    // Its faulty texts other than the code, each field ("Customer.Company")
    // with the characters code page 932 has no form for and its control
    // characters.
    QList<std::pair<QString, QString>> unusable;
};
// The refusal of a record of a master ledger.
CImportRefusal MakeImportRefusal(const CMasterKind& kind, const COneRecord& record, const QString& errField);

// What is wrong with the text of a refused amount, after the field's
// caption: a character that is no part of a number, commas out of their
// places, a fraction or more whole digits than the field takes (its limits
// `intDigits` and `decimals`; a negative `intDigits` when it has none).
// Empty when the text is a number the field takes.
QString ImportAmountProblem(const QString& caption, const QString& text, int intDigits, int decimals);

// The pairing of a file's columns with the fields of a master, without
// widgets: the field list (fields not yet paired) on the left, one entry
// per file column on the right with the samples of the first two data
// lines. The dialog shows it; the scripted dialogs drive it directly.
class CImportFieldMapRules
{
  public:
    enum Focus { kNoFocus = -1, kFieldList = 0, kColumnList = 1 };

    struct Column {
        QString samples[2];
        int paired = -1; // index into m_fieldSet.m_cols, -1 not paired
    };

    CImportFieldMapRules(const CMasterKind& kind, const CImportRows* rows) : m_kind(kind), m_pRows(rows) {}

    // Opening: rows checked, fields loaded, both lists filled; false (after
    // the message) ends the dialog.
    bool OnInitDialog();
    bool LoadFieldSet();
    void FillFieldList();
    void FillColumnList();

    // The caption shown in column 0 of a file column ("" when not paired).
    QString PairedCaption(int column) const;
    // The field of an offered entry, null for none.
    const CQXCol* OfferedField(int entry) const;

    bool MapSelected();
    bool UnmapSelected();
    // The description of the selected field (empty when none applies).
    QString OnSelchangeFieldList() const;
    int CountMappedColumns() const;
    bool CheckCodeFieldMapped();
    bool AskAddressJoin();
    // "完了": false leaves the dialog open with every pairing kept.
    bool OnOK();

    // Selects the offered entry of that field name (-1 when not offered).
    int SelectField(const QString& field);
    // Pairs the file column with the field as the user would: select both, map.
    bool Pair(int column, const QString& field);

    const CMasterKind& m_kind;
    const CImportRows* m_pRows;
    CQXColSet m_fieldSet;
    QList<int> m_offered; // the field list: indexes into m_fieldSet.m_cols
    QList<Column> m_columns;
    int m_nSelField = -1;
    int m_nSelColumn = -1;
    int m_nFocus = kNoFocus;
    int m_nTopField = -1; // the field list entry scrolled to the top

    // Results: one column per file column, an empty field name for a column
    // not imported.
    CQXColSet m_resultSet;
    int m_bReadFirstRow = 0;
    int m_bBreakAfterAddress1 = 0;
    int m_bBreakAfterAddress2 = 0;
    int m_bAutoNumber = 0;
};

// The text of the description box for a master ledger and a field name.
QString ImportFieldDescription(const CMasterKind& kind, const QString& field);

// How the address parts are joined: two line-break choices, each enabled or
// not by the parts paired.
class CAddressJoinRules
{
  public:
    explicit CAddressJoinRules(int mode) : m_nMode(mode) {}
    // Mode 0 only; any other shows "ダイアログの起動形式が不明です。".
    bool OnInitDialog();

    int m_nMode;
    int m_bBreakAfterAddress1 = 0;
    int m_bBreakAfterAddress2 = 0;
    int m_bEnable1 = 1;
    int m_bEnable2 = 1;
    QString m_strCaption;
    QString m_strPrompt;
};

// The refused records of an import: the list's columns and rows, the
// texts of the dialog for its kind and state, and the report file.
class CImportErrorRules
{
  public:
    CImportErrorRules(const CMasterKind& kind, int overwrite, int canCommit, int submitted)
        : m_kind(kind), m_bOverwrite(overwrite), m_bCanCommit(canCommit), m_nSubmitted(submitted)
    {
    }

    void OnInitDialog();
    void InitColumns();
    void FillList();
    // The captions of the list columns of the faulty fields, joined by "、".
    QString GetFieldCaptions(const QString& errField) const;
    // What is wrong with a refused record's code (a character, a space, its
    // length), empty when the code is missing or none of these.
    QString GetCodeProblem(const QString& code) const;
    // Asks for a file and writes the report; the dialog stays open.
    void OnWriteFile();
    // CP932, one line per refused record ended by CR LF, replacing the file.
    bool WriteReport(const QString& path) const;

    const CMasterKind& m_kind;
    int m_bOverwrite;
    int m_bCanCommit;
    int m_nSubmitted;
    const CCDSData* m_pRefused = nullptr;
    // Or the refusals as an import keeps them.
    const QList<CImportRefusal>* m_pRefusals = nullptr;

    QString m_strCaption;
    QString m_strPrompt; // above the list
    QString m_strNote;   // below it
    QString m_strCancelText;
    bool m_bCommitShown = true;
    QStringList m_headers;
    QList<QStringList> m_rows;
    QStringList m_lines;
};

// The field of a built record that carries its source row label.
inline constexpr char kImportRowField[] = "ImportRow";
