#include "settings/db/RestoreInfoDlg.h"

#include "platform/ui/Help.h"
#include "platform/ui/UiServices.h"
#include "settings/db/Restore.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{

constexpr int kHelpContext = 5002;
constexpr int kItemColumnWidth = 140;

} // namespace

CRestoreInfoDlg::CRestoreInfoDlg(const QStringList& lines, QWidget* parent) : QDialog(parent), m_lines(lines)
{
    setWindowTitle(QStringLiteral("復元するデータ情報"));
    // A table, so the grid lines show; rows are selected whole.
    auto* list = new QTableWidget(int(m_lines.size()), 2);
    list->setObjectName(QStringLiteral("info"));
    list->setHorizontalHeaderLabels({QStringLiteral("項目"), QStringLiteral("内容")});
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->horizontalHeader()->resizeSection(0, kItemColumnWidth);
    list->horizontalHeader()->setStretchLastSection(true);
    list->verticalHeader()->hide();
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < m_lines.size(); ++row) {
        QString item, content;
        SplitBackupInfoLine(m_lines[row], item, content);
        list->setItem(row, 0, new QTableWidgetItem(item));
        list->setItem(row, 1, new QTableWidgetItem(content));
    }
    list->setMinimumWidth(480);

    auto* yes = new QPushButton(QStringLiteral("はい"));
    auto* no = new QPushButton(QStringLiteral("いいえ"));
    auto* help = new QPushButton(QStringLiteral("？"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(yes);
    buttons->addWidget(no);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("指定されたフォルダに保存されているデータは以下のものです。")));
    layout->addWidget(list);
    layout->addWidget(
        new QLabel(QStringLiteral("＊＊このデータを現在使用中のデータベースに上書きします。＊＊")));
    layout->addWidget(new QLabel(QStringLiteral("このデータを復元してよろしいですか？")));
    layout->addLayout(buttons);

    // Set once the button is in the dialog, so the dialog keeps it as its default.
    yes->setDefault(true);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpContext); });
}
