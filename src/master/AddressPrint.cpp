#include "master/AddressPrint.h"

#include "master/MasterDb.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/Record.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

#include <QStringList>

namespace
{

const QStringList& ItemFields()
{
    static const QStringList names{
        QStringLiteral("ID"),       QStringLiteral("ItemType"), QStringLiteral("ItemCode"),
        QStringLiteral("ItemName"), QStringLiteral("Phoenic"),  QStringLiteral("Unit"),
        QStringLiteral("TaxFlg"),   QStringLiteral("Price"),    QStringLiteral("TaxFlg2"),
        QStringLiteral("Cost"),     QStringLiteral("Remarks"),  QStringLiteral("Class1"),
        QStringLiteral("Class2"),   QStringLiteral("Class3"),   QStringLiteral("Class4"),
        QStringLiteral("Class5"),   QStringLiteral("JANCode")};
    return names;
}

// A supplier's code goes into its own column, which the form program
// prints when the customer code is empty.
const QStringList& AtenaFields()
{
    static const QStringList names{
        QStringLiteral("ID"),       QStringLiteral("CustomerCode"), QStringLiteral("SupplierCode"),
        QStringLiteral("Company"),  QStringLiteral("Section"),      QStringLiteral("Name"),
        QStringLiteral("Keisho"),   QStringLiteral("Keisho2"),      QStringLiteral("Zip"),
        QStringLiteral("Address"),  QStringLiteral("TEL"),          QStringLiteral("FAX"),
        QStringLiteral("MyPerson"), QStringLiteral("Amount")};
    return names;
}

} // namespace

CAddressPrint::CAddressPrint(const CMasterKind& master, Insert insert, Launcher launcher)
    : m_master(master), m_insert(std::move(insert)), m_launcher(std::move(launcher))
{
}

int CAddressPrint::AppendWorkRecord(const COneRecord* master, CCDSData& set)
{
    if (!master)
        return 0;
    const QStringList* names = set.m_strTable == QStringLiteral("WItem")    ? &ItemFields()
                               : set.m_strTable == QStringLiteral("WAtena") ? &AtenaFields()
                                                                            : nullptr;
    if (!names)
        return 0;
    const CWaitCursor wait;
    COneRecord* work = set.AddNew();
    work->Reserve(int(names->size()));
    for (int i = 0; i < master->GetCount(); ++i) {
        const CTb* field = master->GetAt(i);
        const QString& name = field->GetName();
        const qsizetype point = name.indexOf(u'.');
        const QString bare = point < 0 ? QString() : name.mid(point + 1);
        if (bare.isEmpty() || !names->contains(bare))
            continue;
        CTb copy(*field);
        copy.SetName(set.m_strTable + u'.' + bare);
        work->AddField(copy);
    }
    return 1;
}

int CAddressPrint::Run(const QList<const COneRecord*>& selected)
{
    IPrompt& prompt = UiServices::Prompt();
    if (selected.isEmpty()) {
        prompt.MessageBox(QStringLiteral("印刷するデータを選択してください。\n"));
        return 0;
    }
    if (prompt.MessageBox(
            QStringLiteral("選択されている%1件の情報を印刷します。よろしいですか？").arg(selected.size()),
            MB_YESNO, MB_ICONQUESTION) != IDYES)
        return 0;
    const bool items = !m_master.side;
    const int slipKind = items ? 12 : 11;
    CCDSData set;
    set.m_strTable = items ? QStringLiteral("WItem") : QStringLiteral("WAtena");
    for (const COneRecord* record : selected)
        AppendWorkRecord(record, set);

    int result;
    QString err;
    {
        const CWaitCursor wait;
        result = m_insert ? m_insert(set, err) : 0;
    }
    if (result == 1)
        return m_launcher ? m_launcher(slipKind, QString(), 0) : 0;
    if (result == -100)
        ShowFatalDataMessage();
    else if (!err.isEmpty())
        prompt.MessageBox(err);
    else
        prompt.MessageBox(
            FailureAdviceText(QStringLiteral("印刷のためのワークテーブル書き出しに失敗しました。")));
    prompt.MessageBox(QStringLiteral("書き出し処理に失敗しました。\n"));
    return 0;
}
