#pragma once

#include "exchange/ExchangeRules.h"
#include "exchange/ImportMapRules.h"
#include "settings/ColumnSetRules.h"

#include <QList>
#include <QStringList>

#include <functional>

// The modal dialogs of the import and export, behind one port so that a
// whole import or export runs in tests without windows. Each call opens the
// dialog over its rules and answers IDOK or IDCANCEL; after IDOK the rules
// hold what was chosen. The Qt dialogs answer until something else is
// installed.
class IExchangeDialogs
{
  public:
    virtual ~IExchangeDialogs() = default;
    virtual int RunImportFormat(CImportFormatRules& rules) = 0;
    virtual int RunTextFormat(CTextFormatRules& rules) = 0;
    virtual int RunSheetSelect(CSheetSelectRules& rules) = 0;
    virtual int RunTableSelect(CTableSelectRules& rules) = 0;
    // The master import: start and overwrite choice, the column pairing,
    // the address join, the refused records (IDOK completes the import),
    // the number settings of counter kind 100 or 101.
    virtual int RunImportConfirm(int& overwrite) = 0;
    virtual int RunFieldMap(CImportFieldMapRules& rules) = 0;
    virtual int RunAddressJoin(CAddressJoinRules& rules) = 0;
    virtual int RunImportError(CImportErrorRules& rules) = 0;
    virtual int RunCounterSet(int kind) = 0;
    // The export's column choice for list kind 1-3: after IDOK `chosen`
    // holds the columns to write, in order.
    virtual int RunColumnSet(int kind, CQXColSet& chosen) = 0;
};

IExchangeDialogs& ExchangeDialogs();
// Installing nullptr goes back to the Qt dialogs; answers what was installed
// before (nullptr for the Qt dialogs).
IExchangeDialogs* SetExchangeDialogs(IExchangeDialogs* dialogs);

// Scripted dialogs, installed for the object's lifetime. Each dialog opens
// through its rules (a text-format dialog whose preview fails answers
// IDCANCEL at once), then runs the next script queued for it, which may
// change the rules as the user would and answers IDOK or IDCANCEL. IDOK goes
// through the rules' OK check; a refused OK is logged and answered IDCANCEL,
// as a user would then cancel. With no script queued the user presses OK at
// once.
class CScriptedExchangeDialogs : public IExchangeDialogs
{
  public:
    using FormatScript = std::function<int(CImportFormatRules&)>;
    using TextScript = std::function<int(CTextFormatRules&)>;
    using SheetScript = std::function<int(CSheetSelectRules&)>;
    using TableScript = std::function<int(CTableSelectRules&)>;
    using ConfirmScript = std::function<int(int& overwrite)>;
    using MapScript = std::function<int(CImportFieldMapRules&)>;
    using JoinScript = std::function<int(CAddressJoinRules&)>;
    using ErrorScript = std::function<int(CImportErrorRules&)>;
    using CounterScript = std::function<int(int kind)>;
    using ColumnScript = std::function<int(CColumnSetRules&)>;

    CScriptedExchangeDialogs();
    ~CScriptedExchangeDialogs() override;
    CScriptedExchangeDialogs(const CScriptedExchangeDialogs&) = delete;
    CScriptedExchangeDialogs& operator=(const CScriptedExchangeDialogs&) = delete;

    void QueueImportFormat(FormatScript script) { m_format << std::move(script); }
    void QueueTextFormat(TextScript script) { m_text << std::move(script); }
    void QueueSheetSelect(SheetScript script) { m_sheet << std::move(script); }
    // With no script the user presses "次へ" without choosing (refused).
    void QueueTableSelect(TableScript script) { m_table << std::move(script); }
    // The mapping script pairs columns through the rules as the user would;
    // its IDOK goes through the rules' OK, which may ask further dialogs.
    void QueueImportConfirm(ConfirmScript script) { m_confirm << std::move(script); }
    void QueueFieldMap(MapScript script) { m_map << std::move(script); }
    void QueueAddressJoin(JoinScript script) { m_join << std::move(script); }
    void QueueImportError(ErrorScript script) { m_error << std::move(script); }
    void QueueCounterSet(CounterScript script) { m_counter << std::move(script); }
    // The column dialog opens over the factory columns; with no script the
    // user takes every column.
    void QueueColumnSet(ColumnScript script) { m_column << std::move(script); }
    // Common answers: choose this format, this delimiter choice (with the
    // other text typed), this sheet by its position in the list; cancel.
    void QueueFormatChoice(int choice);
    void QueueDelimiter(int choice, const QString& other = {});
    void QueueSheetChoice(int index);
    void QueueSheetCancel();

    // One line per dialog: "ImportFormat <mode> -> <answer>",
    // "TextFormat -> <answer>", "SheetSelect <names joined by |> -> <answer>";
    // "ImportConfirm <overwrite> -> <answer>", "FieldMap <kind> -> <answer>",
    // "TableSelect <names joined by |> -> <answer>",
    // "ColumnSet <kind> <columns chosen> -> <answer>",
    // "AddressJoin <enable1><enable2> -> <answer>", "ImportError <caption>
    // -> <answer>", "CounterSet <kind> -> <answer>"; a refused OK adds
    // "refused". With no script queued the refused-rows dialog completes,
    // the mapping pairs nothing (and is refused).
    const QStringList& Log() const { return m_log; }
    int Pending() const
    {
        return int(m_format.size() + m_text.size() + m_sheet.size() + m_confirm.size() + m_map.size() +
                   m_join.size() + m_error.size() + m_counter.size() + m_column.size() + m_table.size());
    }

    int RunImportFormat(CImportFormatRules& rules) override;
    int RunTextFormat(CTextFormatRules& rules) override;
    int RunSheetSelect(CSheetSelectRules& rules) override;
    int RunTableSelect(CTableSelectRules& rules) override;
    int RunImportConfirm(int& overwrite) override;
    int RunFieldMap(CImportFieldMapRules& rules) override;
    int RunAddressJoin(CAddressJoinRules& rules) override;
    int RunImportError(CImportErrorRules& rules) override;
    int RunCounterSet(int kind) override;
    int RunColumnSet(int kind, CQXColSet& chosen) override;

  private:
    QList<FormatScript> m_format;
    QList<TextScript> m_text;
    QList<SheetScript> m_sheet;
    QList<TableScript> m_table;
    QList<ConfirmScript> m_confirm;
    QList<MapScript> m_map;
    QList<JoinScript> m_join;
    QList<ErrorScript> m_error;
    QList<CounterScript> m_counter;
    QList<ColumnScript> m_column;
    QStringList m_log;
    IExchangeDialogs* m_pOld;
};
