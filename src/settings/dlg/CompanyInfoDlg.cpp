#include "settings/dlg/CompanyInfoDlg.h"

#include "platform/ui/Fonts.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/TextLimit.h"
#include "platform/ui/UiServices.h"
#include "settings/ComboData.h"
#include "settings/SettingsArchive.h"
#include "settings/dlg/ComboDataBox.h"
#include "settings/dlg/DlgHelpers.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>

namespace
{

using F = CCompanyInfoRules;

constexpr int kHelpTopic = 1507;
constexpr int kClientWidth = 540;
constexpr int kClientHeight = 360;

struct CPlace {
    F::Field field;
    QRect rect;
};

const CPlace kPlaces[] = {
    {F::COMPANY, {120, 48, 300, 22}},  {F::DEPARTMENT, {120, 73, 300, 22}}, {F::PERSON, {120, 98, 300, 122}},
    {F::ZIP1, {120, 123, 40, 22}},     {F::ZIP2, {174, 123, 50, 22}},       {F::ADDRESS, {120, 148, 403, 44}},
    {F::TEL1, {120, 195, 50, 22}},     {F::TEL2, {184, 195, 50, 22}},       {F::TEL3, {248, 195, 50, 22}},
    {F::FAX1, {120, 220, 50, 22}},     {F::FAX2, {184, 220, 50, 22}},       {F::FAX3, {248, 220, 50, 22}},
    {F::ACCOUNT, {120, 245, 403, 44}}, {F::CATCH, {120, 292, 403, 22}},
};

// The caption rows of the nine items, in item order (top and height).
constexpr int kCaptionRows[][2] = {{48, 22},  {73, 22},  {98, 22},  {123, 22}, {148, 44},
                                   {195, 22}, {220, 22}, {245, 44}, {292, 22}};

// The "－" between the parts: left and right of each, and its row.
constexpr int kSeparators[][3] = {
    {162, 172, 123}, {172, 182, 195}, {236, 246, 195}, {172, 182, 220}, {236, 246, 220}};

// Multi-line fields show and take line breaks as "\n"; the files keep the
// "\r\n" that the slip-form program prints.
QString ToFile(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(u'\n', QStringLiteral("\r\n"));
    return out;
}

QString FromFile(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

QString TextOf(QWidget* widget)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    if (auto* box = qobject_cast<QComboBox*>(widget))
        return box->currentText();
    if (auto* multi = qobject_cast<QPlainTextEdit*>(widget))
        return ToFile(multi->toPlainText());
    return {};
}

void SetTextOf(QWidget* widget, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(text);
    else if (auto* box = qobject_cast<QComboBox*>(widget))
        box->setEditText(text);
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget))
        multi->setPlainText(FromFile(text));
}

} // namespace

CCompanyInfoDlg::CCompanyInfoDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("自社情報の設定"));
    setFixedSize(kClientWidth, kClientHeight);
    m_font = MakeFont(QStringLiteral("ＭＳ Ｐゴシック"), 13);
    setFont(m_font);

    for (const CPlace& place : kPlaces) {
        QWidget* widget;
        if (place.field == F::PERSON) {
            auto* box = new CComboDataBox(this);
            box->Fill(COMBO_TANTO, 1);
            box->setGeometry(place.rect.x(), place.rect.y(), place.rect.width(), 22);
            box->setMaxVisibleItems(6);
            // A name past the staff list's limit is refused whole and said
            // over the dialog, in characters, never cut short unseen.
            RefuseOverLongInput(box, [](const QString& refused) {
                UiServices::Prompt().MessageBox(F::LengthProblem(F::PERSON, refused), MB_OK,
                                                MB_ICONEXCLAMATION);
            });
            widget = box;
        } else if (place.field == F::ADDRESS || place.field == F::ACCOUNT) {
            auto* multi = new QPlainTextEdit(this);
            multi->setTabChangesFocus(true);
            multi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            multi->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            multi->setGeometry(place.rect);
            widget = multi;
        } else {
            auto* edit = new QLineEdit(this);
            // Typing stops at the limit, but a longer stored text is shown whole.
            if (const int max = F::MaxLength(place.field))
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("(?s).{0,%1}").arg(max)), edit));
            edit->setGeometry(place.rect);
            widget = edit;
            if (F::IsDigitField(place.field))
                connect(edit, &QLineEdit::textEdited, this,
                        [this, field = place.field] { OnDigitsEdited(field); });
        }
        widget->setObjectName(QStringLiteral("field%1").arg(int(place.field)));
        const bool zip = place.field == F::ZIP1 || place.field == F::ZIP2;
        SetImeMode(widget, zip                            ? ImeField::Postcode
                           : F::IsDigitField(place.field) ? ImeField::Telephone
                                                          : ImeField::Text);
        m_pField[place.field] = widget;
    }

    QPushButton* help = MakeHelpButton(kHelpTopic, this);
    help->setGeometry(7, 330, 43, 25);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(338, 330, 95, 25);
    QPushButton* cancel = MakeButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setGeometry(438, 330, 95, 25);
    connect(ok, &QPushButton::clicked, this, &CCompanyInfoDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CCompanyInfoDlg::reject);

    m_strFolder = GetCurrentDBFolder();
    m_rules.Open(m_strFolder);
    ShowRules();

    // The first run comes before the frame is of any use: the screen's centre.
    if (m_rules.IsFirstRun() || !parent) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    m_pField[F::COMPANY]->setFocus();
}

void CCompanyInfoDlg::ShowRules()
{
    for (int i = 0; i < F::kFieldCount; ++i)
        SetTextOf(m_pField[i], m_rules.m_strField[i]);
}

void CCompanyInfoDlg::ReadBack()
{
    for (int i = 0; i < F::kFieldCount; ++i)
        m_rules.m_strField[i] = TextOf(m_pField[i]);
}

void CCompanyInfoDlg::OnDigitsEdited(F::Field field)
{
    auto* edit = static_cast<QLineEdit*>(m_pField[field]);
    const QString digits = F::FilterDigits(edit->text());
    if (digits != edit->text()) {
        edit->setText(digits);
        edit->setCursorPosition(int(digits.size()));
    }
    const F::Field next = F::NextFocus(field, digits);
    if (next == F::NO_FIELD)
        return;
    QWidget* target = m_pField[next];
    target->setFocus(Qt::TabFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(target))
        line->selectAll();
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(target))
        multi->selectAll();
}

void CCompanyInfoDlg::accept()
{
    ReadBack();
    if (m_rules.Save(m_strFolder))
        QDialog::accept();
}

void CCompanyInfoDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    // Two lines in 30 pixels: each line gets its half, whatever the
    // mapped font's own line spacing.
    const QStringList lines = F::Note().split(QStringLiteral("\r\n"));
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QRect(7, 5 + 15 * i, 526, 15), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                         lines[i]);
    const QStringList captions = F::Captions();
    for (int i = 0; i < captions.size(); ++i)
        painter.drawText(QRect(12, kCaptionRows[i][0], 106, kCaptionRows[i][1]),
                         Qt::AlignRight | Qt::AlignVCenter, captions[i]);
    for (const auto& sep : kSeparators)
        painter.drawText(QRect(sep[0], sep[2], sep[1] - sep[0], 22), Qt::AlignCenter, QStringLiteral("－"));
}
