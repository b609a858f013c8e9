#include "exchange/ExchangeDialogs.h"

#include "exchange/ImportDialogs.h"
#include "exchange/ImportMapDialogs.h"
#include "platform/data/MasterKinds.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "settings/dlg/ColumnSetDlg.h"
#include "settings/dlg/CounterSetDlg.h"

#include <QApplication>

namespace
{

class CQtExchangeDialogs : public IExchangeDialogs
{
  public:
    int RunImportFormat(CImportFormatRules& rules) override
    {
        CImportFormatDlg dialog(rules, QApplication::activeWindow());
        return Finish(dialog.exec(), dialog.Rules(), rules);
    }
    int RunTextFormat(CTextFormatRules& rules) override
    {
        CTextFormatDlg dialog(rules, QApplication::activeWindow());
        return Finish(dialog.exec(), dialog.Rules(), rules);
    }
    int RunSheetSelect(CSheetSelectRules& rules) override
    {
        CSheetSelectDlg dialog(rules, QApplication::activeWindow());
        return Finish(dialog.exec(), dialog.Rules(), rules);
    }

    int RunTableSelect(CTableSelectRules& rules) override
    {
        if (!rules.OnInitDialog())
            return IDCANCEL;
        CTableSelectDlg dialog(rules, QApplication::activeWindow());
        return Finish(RunModal(dialog), dialog.Rules(), rules);
    }

    int RunImportConfirm(int& overwrite) override
    {
        CImportConfirmDlg dialog(QApplication::activeWindow());
        if (RunModal(dialog) != QDialog::Accepted)
            return IDCANCEL;
        overwrite = dialog.Overwrite();
        return IDOK;
    }
    int RunFieldMap(CImportFieldMapRules& rules) override
    {
        if (!rules.OnInitDialog())
            return IDCANCEL;
        CImportFieldMapDlg dialog(rules, QApplication::activeWindow());
        return RunModal(dialog) == QDialog::Accepted ? IDOK : IDCANCEL;
    }
    int RunAddressJoin(CAddressJoinRules& rules) override
    {
        if (!rules.OnInitDialog())
            return IDCANCEL;
        CAddressJoinDlg dialog(rules, QApplication::activeWindow());
        return RunModal(dialog) == QDialog::Accepted ? IDOK : IDCANCEL;
    }
    int RunImportError(CImportErrorRules& rules) override
    {
        rules.OnInitDialog();
        CImportErrorDlg dialog(rules, QApplication::activeWindow());
        return RunModal(dialog) == QDialog::Accepted ? IDOK : IDCANCEL;
    }
    int RunCounterSet(int kind) override
    {
        CCounterSetDlg dialog(kind);
        return RunModal(dialog) == QDialog::Accepted ? IDOK : IDCANCEL;
    }
    int RunColumnSet(int kind, CQXColSet& chosen) override
    {
        CColumnSetDlg dialog(CColumnSetRules::kExport, QApplication::activeWindow());
        dialog.SetListKind(kind);
        if (RunModal(dialog) != QDialog::Accepted)
            return IDCANCEL;
        chosen = dialog.GetResultSet();
        return IDOK;
    }

  private:
    template <typename R> static int Finish(int result, const R& shown, R& rules)
    {
        if (result != QDialog::Accepted)
            return IDCANCEL;
        rules = shown;
        return IDOK;
    }
};

IExchangeDialogs* s_pDialogs = nullptr;

QString Answer(int answer)
{
    return answer == IDOK ? QStringLiteral("IDOK") : QStringLiteral("IDCANCEL");
}

} // namespace

IExchangeDialogs& ExchangeDialogs()
{
    static CQtExchangeDialogs qt;
    return s_pDialogs ? *s_pDialogs : qt;
}

IExchangeDialogs* SetExchangeDialogs(IExchangeDialogs* dialogs)
{
    IExchangeDialogs* old = s_pDialogs;
    s_pDialogs = dialogs;
    return old;
}

CScriptedExchangeDialogs::CScriptedExchangeDialogs() : m_pOld(SetExchangeDialogs(this)) {}

CScriptedExchangeDialogs::~CScriptedExchangeDialogs()
{
    SetExchangeDialogs(m_pOld);
}

void CScriptedExchangeDialogs::QueueFormatChoice(int choice)
{
    QueueImportFormat([choice](CImportFormatRules& rules) {
        rules.m_nChoice = choice;
        return int(IDOK);
    });
}

void CScriptedExchangeDialogs::QueueDelimiter(int choice, const QString& other)
{
    QueueTextFormat([choice, other](CTextFormatRules& rules) {
        if (choice == CTextFormatRules::kOther) {
            rules.OnOtherDelimiter();
            rules.OnChangeOther(other);
        } else {
            rules.OnFixedDelimiter(choice);
        }
        return int(IDOK);
    });
}

void CScriptedExchangeDialogs::QueueSheetChoice(int index)
{
    QueueSheetSelect([index](CSheetSelectRules& rules) {
        rules.m_nSelected = index;
        return int(IDOK);
    });
}

void CScriptedExchangeDialogs::QueueSheetCancel()
{
    QueueSheetSelect([](CSheetSelectRules&) { return int(IDCANCEL); });
}

int CScriptedExchangeDialogs::RunImportFormat(CImportFormatRules& rules)
{
    const int scripted = m_format.isEmpty() ? int(IDOK) : m_format.takeFirst()(rules);
    const bool refused = scripted == IDOK && !rules.OnOK();
    const int answer = refused ? int(IDCANCEL) : scripted;
    m_log << QStringLiteral("ImportFormat %1 -> %2%3")
                 .arg(rules.m_nMode)
                 .arg(Answer(answer), refused ? QStringLiteral(" refused") : QString());
    return answer;
}

int CScriptedExchangeDialogs::RunTextFormat(CTextFormatRules& rules)
{
    if (!rules.OnInitDialog()) {
        m_log << QStringLiteral("TextFormat -> IDCANCEL");
        return IDCANCEL;
    }
    const int answer = m_text.isEmpty() ? int(IDOK) : m_text.takeFirst()(rules);
    m_log << QStringLiteral("TextFormat -> %1").arg(Answer(answer));
    return answer;
}

int CScriptedExchangeDialogs::RunSheetSelect(CSheetSelectRules& rules)
{
    rules.OnInitDialog();
    const int scripted = m_sheet.isEmpty() ? int(IDOK) : m_sheet.takeFirst()(rules);
    const bool refused = scripted == IDOK && !rules.OnOK();
    const int answer = refused ? int(IDCANCEL) : scripted;
    m_log << QStringLiteral("SheetSelect %1 -> %2%3")
                 .arg(rules.m_names.join(u'|'), Answer(answer),
                      refused ? QStringLiteral(" refused") : QString());
    return answer;
}

int CScriptedExchangeDialogs::RunImportConfirm(int& overwrite)
{
    const int answer = m_confirm.isEmpty() ? int(IDOK) : m_confirm.takeFirst()(overwrite);
    m_log << QStringLiteral("ImportConfirm %1 -> %2").arg(overwrite).arg(Answer(answer));
    return answer;
}

int CScriptedExchangeDialogs::RunFieldMap(CImportFieldMapRules& rules)
{
    if (!rules.OnInitDialog()) {
        m_log << QStringLiteral("FieldMap %1 -> IDCANCEL").arg(rules.m_kind.number);
        return IDCANCEL;
    }
    const int scripted = m_map.isEmpty() ? int(IDOK) : m_map.takeFirst()(rules);
    const bool refused = scripted == IDOK && !rules.OnOK();
    const int answer = refused ? int(IDCANCEL) : scripted;
    m_log << QStringLiteral("FieldMap %1 -> %2%3")
                 .arg(rules.m_kind.number)
                 .arg(Answer(answer), refused ? QStringLiteral(" refused") : QString());
    return answer;
}

int CScriptedExchangeDialogs::RunAddressJoin(CAddressJoinRules& rules)
{
    if (!rules.OnInitDialog()) {
        m_log << QStringLiteral("AddressJoin -> IDCANCEL");
        return IDCANCEL;
    }
    const int answer = m_join.isEmpty() ? int(IDOK) : m_join.takeFirst()(rules);
    m_log << QStringLiteral("AddressJoin %1%2 -> %3")
                 .arg(rules.m_bEnable1)
                 .arg(rules.m_bEnable2)
                 .arg(Answer(answer));
    return answer;
}

int CScriptedExchangeDialogs::RunImportError(CImportErrorRules& rules)
{
    rules.OnInitDialog();
    int answer = m_error.isEmpty() ? int(IDOK) : m_error.takeFirst()(rules);
    if (answer == IDOK && !rules.m_bCommitShown)
        answer = IDCANCEL; // only "閉じる" is there
    m_log << QStringLiteral("ImportError %1 -> %2").arg(rules.m_strCaption, Answer(answer));
    return answer;
}

int CScriptedExchangeDialogs::RunCounterSet(int kind)
{
    const int answer = m_counter.isEmpty() ? int(IDOK) : m_counter.takeFirst()(kind);
    m_log << QStringLiteral("CounterSet %1 -> %2").arg(kind).arg(Answer(answer));
    return answer;
}

int CScriptedExchangeDialogs::RunColumnSet(int kind, CQXColSet& chosen)
{
    CColumnSetRules rules(CColumnSetRules::kExport);
    rules.SetListKind(kind);
    if (!rules.Open()) {
        m_log << QStringLiteral("ColumnSet %1 -> IDCANCEL").arg(kind);
        return IDCANCEL;
    }
    int answer = IDOK;
    if (!m_column.isEmpty())
        answer = m_column.takeFirst()(rules);
    else
        rules.MoveAllToLeft();
    const bool refused = answer == IDOK && !rules.OnOK();
    if (refused)
        answer = IDCANCEL;
    else if (answer == IDOK)
        chosen = rules.GetResultSet();
    m_log << QStringLiteral("ColumnSet %1 %2 -> %3%4")
                 .arg(kind)
                 .arg(answer == IDOK ? chosen.m_cols.size() : 0)
                 .arg(Answer(answer), refused ? QStringLiteral(" refused") : QString());
    return answer;
}

int CScriptedExchangeDialogs::RunTableSelect(CTableSelectRules& rules)
{
    if (!rules.OnInitDialog()) {
        m_log << QStringLiteral("TableSelect -> IDCANCEL");
        return IDCANCEL;
    }
    const int scripted = m_table.isEmpty() ? int(IDOK) : m_table.takeFirst()(rules);
    const bool refused = scripted == IDOK && !rules.OnOK();
    const int answer = refused ? int(IDCANCEL) : scripted;
    m_log << QStringLiteral("TableSelect %1 -> %2%3")
                 .arg(rules.m_pNames->join(u'|'), Answer(answer),
                      refused ? QStringLiteral(" refused") : QString());
    return answer;
}
