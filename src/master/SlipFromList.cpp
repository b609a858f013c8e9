#include "master/SlipFromList.h"

#include "platform/data/MasterKinds.h"
#include "platform/data/Record.h"
#include "platform/text/Cp932.h"
#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

CSlipFromList::CSlipFromList(const CMasterKind& master, Lookup lookup, Launcher launcher)
    : m_master(master), m_lookup(std::move(lookup)), m_launcher(std::move(launcher))
{
}

QString CSlipFromList::PartnerText(const QString& code)
{
    return QStringLiteral("%1\"%2\"").arg(Cp932::ByteLength(code), 2, 10, QChar(u'0')).arg(code);
}

int CSlipFromList::Run(const QList<const COneRecord*>& selected)
{
    IPrompt& prompt = UiServices::Prompt();
    if (!m_master.side) {
        prompt.MessageBox(QStringLiteral("商品一覧から伝票を作成することはできません。"));
        return 0;
    }
    const bool customer = !m_master.side->IsPurchases();
    const QString word = m_master.Word();
    if (selected.isEmpty()) {
        prompt.MessageBox(QStringLiteral("伝票を作成する") + word + QStringLiteral("を選択してください。\n"));
        return 0;
    }
    if (selected.size() > 1) {
        prompt.MessageBox(QStringLiteral("複数の") + word +
                          QStringLiteral("が選択されています。\n伝票を作成する") + word +
                          QStringLiteral("を、一件だけ選択してください。"));
        return 0;
    }
    const COneRecord* record = selected.first();
    if (!record) {
        prompt.MessageBox(word + QStringLiteral("のデータが取得できません。"));
        return 0;
    }
    int choice = 0;
    if (RunChoiceDialog(customer ? 5 : 6, choice) != IDOK)
        return 0;
    const int slipKind = customer ? (choice == 0 ? 2 : 1) : (choice == 0 ? 4 : 5);

    const QString table = m_master.Table(), codeField = m_master.CodeField();
    const CTb* codeTb = record->GetOneField(table, codeField);
    const QString code = codeTb ? codeTb->GetText() : QString();
    long layout = 0;
    if (slipKind == 2 || slipKind == 4) {
        // The form of the partner's last slip, read fresh: the entry may
        // have changed since the list was loaded.
        CCDSData found;
        if (m_lookup && m_lookup(table, codeField, code, found) == 1 && found.GetCount() == 1) {
            int formId = 0;
            if (const CTb* form = found.GetAt(0)->GetOneField(table, QStringLiteral("FormID"));
                form && form->GetData(formId))
                layout = formId;
        }
    }
    return m_launcher ? m_launcher(slipKind, PartnerText(code), layout) : 0;
}
