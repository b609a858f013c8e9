#include "app/EnvSettingsDlg.h"

#include "platform/ui/Help.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{

constexpr int kHelpContext = 2011;

QLabel* WrappedLabel(const QString& text)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

} // namespace

CEnvSettingDlg::CEnvSettingDlg(const CEnvSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings)
{
    setWindowTitle(QStringLiteral("環境設定"));

    auto* list = new QGroupBox(QStringLiteral("リストの設定"));
    auto* fontButton = new QPushButton(QStringLiteral("フォント設定"));
    auto* colorButton = new QPushButton(QStringLiteral("背景色の設定"));
    m_pSwatch = new QFrame;
    m_pSwatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_pSwatch->setMinimumSize(60, 24);
    m_pSwatch->setAutoFillBackground(true);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(fontButton);
    listButtons->addWidget(colorButton);
    listButtons->addWidget(m_pSwatch, 1);
    auto* listLayout = new QVBoxLayout(list);
    listLayout->addWidget(WrappedLabel(
        QStringLiteral("得意先一覧や売上伝票一覧などリスト画面の\nフォントと背景色を設定できます。")));
    listLayout->addLayout(listButtons);

    auto* shrink = new QGroupBox(QStringLiteral("自動フォント縮小機能"));
    m_pAutoShrink = new QCheckBox(QStringLiteral("自動フォント縮小機能を使用する"));
    auto* shrinkLayout = new QVBoxLayout(shrink);
    shrinkLayout->addWidget(m_pAutoShrink);
    shrinkLayout->addWidget(
        WrappedLabel(QStringLiteral("コード入力やフォームへの出力印刷でスペースに文字が入りきらない場合、自動"
                                    "的にフォントを小さくして調整します")));

    auto* calendar = new QGroupBox(QStringLiteral("カレンダーの設定"));
    m_pStartDays = new QSpinBox;
    m_pStartDays->setRange(0, CEnvSettings::kMaxCalendarStartDays);
    auto* calendarLayout = new QHBoxLayout(calendar);
    calendarLayout->addWidget(new QLabel(QStringLiteral("カレンダーの開始日 ： 今日から")));
    calendarLayout->addWidget(m_pStartDays);
    calendarLayout->addWidget(new QLabel(QStringLiteral("日前")));
    calendarLayout->addStretch(1);

    auto* exit = new QGroupBox(QStringLiteral("終了時の設定"));
    m_pBackup = new QCheckBox(QStringLiteral("アプリケーション終了時にバックアップをとる"));
    auto* helpButton = new QPushButton(QStringLiteral("？"));
    helpButton->setFixedWidth(helpButton->sizeHint().height());
    auto* backupRow = new QHBoxLayout;
    backupRow->addWidget(m_pBackup, 1);
    backupRow->addWidget(helpButton);
    auto* exitLayout = new QVBoxLayout(exit);
    exitLayout->addLayout(backupRow);
    exitLayout->addWidget(WrappedLabel(QStringLiteral(
        "【管理】－［使用中のデータベースへの復元］からバックアップした状態に復元できます。")));

    auto* buttons = new QDialogButtonBox;
    auto* defaults = buttons->addButton(QStringLiteral("既定値に戻す"), QDialogButtonBox::ResetRole);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    for (QWidget* group : {list, shrink, calendar, exit})
        layout->addWidget(group);
    layout->addWidget(buttons);

    connect(fontButton, &QPushButton::clicked, this, &CEnvSettingDlg::OnFont);
    connect(colorButton, &QPushButton::clicked, this, &CEnvSettingDlg::OnColor);
    connect(helpButton, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpContext); });
    connect(defaults, &QPushButton::clicked, this, &CEnvSettingDlg::OnDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &CEnvSettingDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CEnvSettingDlg::reject);

    ShowSettings();
}

void CEnvSettingDlg::ShowSettings()
{
    PaintSwatch();
    m_pAutoShrink->setChecked(m_settings.m_nAutoFontShrink != 0);
    m_pStartDays->setValue(int(m_settings.m_nCalendarStartDays));
    m_pBackup->setChecked(m_settings.m_nBackupAtExit != 0);
}

void CEnvSettingDlg::OnFont()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, m_settings.ListFont(), this);
    if (ok)
        m_settings.m_lfList.FromFont(font);
}

void CEnvSettingDlg::OnColor()
{
    const QColor color = QColorDialog::getColor(m_settings.ListBackColor(), this);
    if (!color.isValid())
        return;
    SetListColor(color);
}

void CEnvSettingDlg::SetListColor(const QColor& color)
{
    // Only the swatch: the other fields keep what the user has typed.
    m_settings.m_crListBack = RefFromColor(color);
    PaintSwatch();
}

void CEnvSettingDlg::PaintSwatch()
{
    QPalette palette = m_pSwatch->palette();
    palette.setColor(QPalette::Window, m_settings.ListBackColor());
    m_pSwatch->setPalette(palette);
}

void CEnvSettingDlg::OnDefaults()
{
    m_settings.RestoreDefaults();
    ShowSettings();
}

void CEnvSettingDlg::accept()
{
    QString message;
    quint32 days = 0;
    if (!CEnvSettings::ParseCalendarStartDays(m_pStartDays->text(), days, message)) {
        UiServices::Prompt().MessageBox(message, MB_OK, MB_ICONEXCLAMATION);
        m_pStartDays->setFocus();
        m_pStartDays->selectAll();
        return;
    }
    m_settings.m_nCalendarStartDays = days;
    m_settings.m_nAutoFontShrink = m_pAutoShrink->isChecked() ? 1 : 0;
    m_settings.m_nBackupAtExit = m_pBackup->isChecked() ? 1 : 0;
    QDialog::accept();
}
