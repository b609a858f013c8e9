#include "platform/ui/ChoiceDlg.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{

ChoiceDialogRunner& Runner()
{
    static ChoiceDialogRunner runner;
    return runner;
}

} // namespace

bool GetChoiceModeTexts(int mode, CChoiceTexts& texts)
{
    switch (mode) {
    case 2:
        texts = {QStringLiteral("ブレンロデータの取り込み"),
                 QStringLiteral("「ブレンロ」の得意先データを取り込みます。\n取り込むデータを選択して【OK】を"
                                "クリックしてください。"),
                 QStringLiteral("得意先台帳EXCELブック"), QStringLiteral("得意先ケルダン")};
        return true;
    case 3:
        texts = {QStringLiteral("ブレンロデータの取り込み"),
                 QStringLiteral("「ブレンロ」の商品データを取り込みます。\n取り込むデータを選択して【OK】をク"
                                "リックしてください。"),
                 QStringLiteral("商品台帳EXCELブック"), QStringLiteral("商品ケルダン")};
        return true;
    case 4:
        texts = {QStringLiteral("印刷項目の選択"),
                 QStringLiteral("ﾃﾞｰﾀを印刷します。\n印刷する項目を選択して【OK】をクリックしてください。"),
                 QStringLiteral("詳細な項目を印刷する"), QStringLiteral("宛先項目のみ印刷する")};
        return true;
    case 5:
        texts = {QStringLiteral("作成する伝票の選択"),
                 QStringLiteral("選択された得意先の伝票を作成します。\n作成する伝票の種類を選択して【OK】をク"
                                "リックしてください。"),
                 QStringLiteral("売上伝票（この得意先が最後に使用したフォーム）"), QStringLiteral("見積書")};
        return true;
    case 6:
        texts = {QStringLiteral("作成する伝票の選択"),
                 QStringLiteral("選択された仕入先の伝票を作成します。\n作成する伝票の種類を選択して【OK】をク"
                                "リックしてください。"),
                 QStringLiteral("注文書"), QStringLiteral("仕入伝票")};
        return true;
    case 7:
        texts = {QStringLiteral("転記する伝票の選択"),
                 QStringLiteral("選択された得意先の伝票を転記します。\n転記する伝票の種類を選択して【OK】をク"
                                "リックしてください。"),
                 QStringLiteral("売上伝票"), QStringLiteral("見積書")};
        return true;
    case 8:
        texts = {QStringLiteral("会社/個人の選択"),
                 QStringLiteral("会社/"
                                "個人の区別があるデータが両方あった場合に、\nどちらを読み込むか選択して【OK】"
                                "をクリックしてください。"),
                 QStringLiteral("会社（郵便番号･住所･TEL･FAX･E-mail）"),
                 QStringLiteral("個人（郵便番号･住所･TEL･FAX･E-mail）")};
        return true;
    default:
        return false;
    }
}

CChoiceDlg::CChoiceDlg(int mode, QWidget* parent) : QDialog(parent), m_nMode(mode)
{
    setWindowTitle(QStringLiteral("選択してください"));
    m_pPrompt = new QLabel(this);
    m_pFirst = new QRadioButton(this);
    m_pSecond = new QRadioButton(this);
    auto* group = new QButtonGroup(this);
    group->addButton(m_pFirst, 0);
    group->addButton(m_pSecond, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CChoiceDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CChoiceDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pPrompt);
    layout->addSpacing(6);
    layout->addWidget(m_pFirst);
    layout->addWidget(m_pSecond);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

int CChoiceDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool CChoiceDlg::SetModeTexts(int mode)
{
    CChoiceTexts texts;
    if (!GetChoiceModeTexts(mode, texts)) {
        UiServices::Prompt().MessageBox(QStringLiteral("ダイアログの起動形式が不明です。"));
        return false;
    }
    setWindowTitle(texts.caption);
    m_strPrompt = texts.prompt;
    m_pFirst->setText(texts.first);
    m_pSecond->setText(texts.second);
    return true;
}

// The mode's texts, then the values shown: the prompt and the preset choice.
void CChoiceDlg::OnInitDialog()
{
    SetModeTexts(m_nMode);
    m_pPrompt->setText(m_strPrompt);
    (m_nChoice == 1 ? m_pSecond : m_pFirst)->setChecked(true);
}

void CChoiceDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CChoiceDlg::accept()
{
    if (!m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    }
    m_nChoice = m_pSecond->isChecked() ? 1 : 0;
    QDialog::accept();
}

int RunChoiceDialog(int mode, int& choice, QWidget* parent)
{
    if (Runner())
        return Runner()(mode, choice);
    CChoiceDlg dialog(mode, parent);
    const int result = dialog.DoModal();
    if (result == IDOK)
        choice = dialog.m_nChoice;
    return result;
}

ChoiceDialogRunner SetChoiceDialogRunner(ChoiceDialogRunner runner)
{
    ChoiceDialogRunner old = std::move(Runner());
    Runner() = std::move(runner);
    return old;
}
