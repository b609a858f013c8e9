#pragma once

#include "exchange/ExchangeRules.h"

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

    CScriptedExchangeDialogs();
    ~CScriptedExchangeDialogs() override;
    CScriptedExchangeDialogs(const CScriptedExchangeDialogs&) = delete;
    CScriptedExchangeDialogs& operator=(const CScriptedExchangeDialogs&) = delete;

    void QueueImportFormat(FormatScript script) { m_format << std::move(script); }
    void QueueTextFormat(TextScript script) { m_text << std::move(script); }
    void QueueSheetSelect(SheetScript script) { m_sheet << std::move(script); }
    // Common answers: choose this format, this delimiter choice (with the
    // other text typed), this sheet by its position in the list; cancel.
    void QueueFormatChoice(int choice);
    void QueueDelimiter(int choice, const QString& other = {});
    void QueueSheetChoice(int index);
    void QueueSheetCancel();

    // One line per dialog: "ImportFormat <mode> -> <answer>",
    // "TextFormat -> <answer>", "SheetSelect <names joined by |> -> <answer>";
    // a refused OK adds "refused".
    const QStringList& Log() const { return m_log; }
    int Pending() const { return int(m_format.size() + m_text.size() + m_sheet.size()); }

    int RunImportFormat(CImportFormatRules& rules) override;
    int RunTextFormat(CTextFormatRules& rules) override;
    int RunSheetSelect(CSheetSelectRules& rules) override;

  private:
    QList<FormatScript> m_format;
    QList<TextScript> m_text;
    QList<SheetScript> m_sheet;
    QStringList m_log;
    IExchangeDialogs* m_pOld;
};
