#include "exchange/ExchangeDialogs.h"

#include "exchange/ImportDialogs.h"
#include "platform/ui/Prompt.h"

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
                 .arg(rules.m_names.join(u'|'), Answer(answer), refused ? QStringLiteral(" refused") : QString());
    return answer;
}
