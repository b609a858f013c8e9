#include "settings/db/RestoreInfoDlg.h"

#include "platform/ui/Help.h"
#include "platform/ui/UiServices.h"
#include "settings/db/Restore.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kHelpContext = 5002;
constexpr int kItemColumnWidth = 140;

} // namespace

CRestoreInfoDlg::CRestoreInfoDlg(const QStringList& lines, QWidget* parent) : QDialog(parent), m_lines(lines)
{
    setWindowTitle(QStringLiteral("復元するデータ情報"));
    auto* list = new QTreeWidget;
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("項目"), QStringLiteral("内容")});
    list->setRootIsDecorated(false);
    list->setAllColumnsShowFocus(true);
    list->header()->resizeSection(0, kItemColumnWidth);
    list->header()->setStretchLastSection(true);
    for (const QString& line : m_lines) {
        QString item, content;
        SplitBackupInfoLine(line, item, content);
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{item, content}));
    }
    list->setMinimumWidth(480);

    auto* yes = new QPushButton(QStringLiteral("はい"));
    auto* no = new QPushButton(QStringLiteral("いいえ"));
    auto* help = new QPushButton(QStringLiteral("？"));
    yes->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(yes);
    buttons->addWidget(no);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("指定されたフォルダに保存されているデータは以下のものです。")));
    layout->addWidget(list);
    layout->addWidget(new QLabel(QStringLiteral("＊＊このデータを現在使用中のデータベースに上書きします。＊＊")));
    layout->addWidget(new QLabel(QStringLiteral("このデータを復元してよろしいですか？")));
    layout->addLayout(buttons);

    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpContext); });
}
