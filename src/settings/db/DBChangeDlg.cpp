#include "settings/db/DBChangeDlg.h"

#include "platform/ui/Help.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace
{

constexpr int kHelpContext = 5001;

// Draws a line as the owner-drawn list did: highlight or window background,
// red text for the database in use, black otherwise.
class CDBLineDelegate : public QStyledItemDelegate
{
  public:
    CDBLineDelegate(CDBListBox* list) : QStyledItemDelegate(list), m_pList(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        painter->save();
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        bool inUse = false;
        const QString text = CDBListBox::LineText(index.data().toString(), m_pList->GetInUseName(), &inUse);
        painter->setPen(inUse      ? QColor(255, 0, 0)
                        : selected ? palette.highlightedText().color()
                                   : QColor(Qt::black));
        painter->drawText(option.rect.adjusted(1, 1, -1, -1), Qt::AlignLeft | Qt::AlignTop, text);
        if (option.state & QStyle::State_HasFocus) {
            painter->setPen(QPen(palette.text().color(), 1, Qt::DotLine));
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }

  private:
    CDBListBox* m_pList;
};

} // namespace

CDBListBox::CDBListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new CDBLineDelegate(this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QString CDBListBox::LineText(const QString& text, const QString& inUseName, bool* inUse)
{
    const bool mark = !inUseName.isEmpty() && text == inUseName;
    if (inUse)
        *inUse = mark;
    return mark ? text + QStringLiteral(" - 使用中") : text;
}

CDBChangeDlg::CDBChangeDlg(std::unique_ptr<IDbSession> session, QWidget* parent)
    : QDialog(parent), m_pSession(std::move(session)), m_rules(m_pSession.get())
{
    setWindowTitle(QStringLiteral("データベースの追加"));
    m_pList = new CDBListBox;
    m_pFolder = new QLabel;
    m_pFolder->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pFolder->setMinimumWidth(320);

    auto* intro = new QLabel(QStringLiteral("データを会社ごと部署ごとに分けて管理することができます。\n※各デ"
                                            "ータベースをまたがった集計はできません。"));
    auto* newButton = new QPushButton(QStringLiteral("新規作成..."));
    auto* copyButton = new QPushButton(QStringLiteral("コピー..."));
    auto* renameButton = new QPushButton(QStringLiteral("名前の変更..."));
    auto* deleteButton = new QPushButton(QStringLiteral("削除"));
    auto* switchButton = new QPushButton(QStringLiteral("選択データに切り替える"));
    auto* closeButton = new QPushButton(QStringLiteral("とじる"));
    auto* helpButton = new QPushButton(QStringLiteral("？"));

    auto* side = new QVBoxLayout;
    for (QPushButton* button : {newButton, copyButton, renameButton, deleteButton})
        side->addWidget(button);
    side->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(helpButton);
    bottom->addStretch(1);
    bottom->addWidget(switchButton);
    bottom->addWidget(closeButton);

    auto* layout = new QGridLayout(this);
    layout->addWidget(intro, 0, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("現在登録されているデータベース名：")), 1, 0, 1, 2);
    layout->addWidget(m_pList, 2, 0);
    layout->addLayout(side, 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("保存先フォルダ：")), 3, 0, 1, 2);
    layout->addWidget(m_pFolder, 4, 0, 1, 2);
    layout->addLayout(bottom, 5, 0, 1, 2);
    // Once in the dialog, so it stays the default after another button had the focus.
    switchButton->setDefault(true);

    connect(m_pList, &QListWidget::currentRowChanged, this, [this](int row) {
        m_rules.Select(row);
        m_pFolder->setText(m_rules.GetFolderText());
    });
    connect(newButton, &QPushButton::clicked, this, [this] {
        m_rules.OnNew();
        ShowRules();
    });
    connect(copyButton, &QPushButton::clicked, this, [this] {
        const int code = m_rules.OnCopy();
        ShowRules();
        EndWith(code);
    });
    connect(renameButton, &QPushButton::clicked, this, [this] {
        m_rules.OnRename();
        ShowRules();
    });
    connect(deleteButton, &QPushButton::clicked, this, [this] {
        m_rules.OnDelete();
        ShowRules();
    });
    connect(switchButton, &QPushButton::clicked, this, [this] { EndWith(m_rules.OnOK()); });
    connect(closeButton, &QPushButton::clicked, this, &CDBChangeDlg::reject);
    connect(helpButton, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpContext); });

    m_rules.RefreshList();
    ShowRules();
}

CDBChangeDlg::~CDBChangeDlg() = default;

void CDBChangeDlg::ShowRules()
{
    const QSignalBlocker block(m_pList);
    m_pList->clear();
    m_pList->addItems(m_rules.GetNames());
    m_pList->SetInUseName(m_rules.GetInUseName());
    m_pList->setCurrentRow(m_rules.GetSelection());
    m_pFolder->setText(m_rules.GetFolderText());
}

void CDBChangeDlg::EndWith(int code)
{
    if (code != 0)
        done(code);
}

void CDBChangeDlg::reject()
{
    done(IDCANCEL);
}
