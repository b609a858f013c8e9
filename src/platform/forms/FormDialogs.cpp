#include "platform/forms/FormDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

QString LayoutLabel(const CLayoutInfo& layout)
{
    return QStringLiteral("%1：%2").arg(SlipFormKindName(layout.m_nKind), layout.m_strName);
}

void FillUserForms(QListWidget& list, const CFormCtrl& ctrl, int row)
{
    list.clear();
    for (const CLayoutInfo& form : ctrl.GetForms())
        list.addItem(QStringLiteral("%1（%2）").arg(LayoutLabel(form)).arg(form.m_nFormID));
    if (row >= 0 && row < list.count())
        list.setCurrentRow(row);
}

} // namespace

bool CQtFormDialogs::RunChooser(CFormChoice& choice)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(choice.GetTitle());
    auto* list = new QListWidget(&dialog);
    for (const CSelFormData& form : choice.GetForms())
        list->addItem(form.m_bUserForm ? form.m_strName + QStringLiteral("　［オリジナル］")
                                       : form.m_strName);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("使用するフォームを選択してください。"), &dialog));
    layout->addWidget(list);
    layout->addWidget(buttons);

    const auto sync = [&] { buttons->button(QDialogButtonBox::Ok)->setEnabled(choice.CanAccept()); };
    list->setCurrentRow(choice.GetCurrentRow());
    sync();
    QObject::connect(list, &QListWidget::currentRowChanged, &dialog, [&](int row) {
        choice.SetCurrentRow(row);
        sync();
    });
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, [&] {
        if (choice.CanAccept())
            dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(420, 320);
    return dialog.exec() == QDialog::Accepted && choice.CanAccept();
}

void CQtFormDialogs::RunFormCtrl(CFormCtrl& ctrl)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("フォームの作成・管理"));
    auto* list = new QListWidget(&dialog);
    auto* create = new QPushButton(QStringLiteral("新規作成..."), &dialog);
    auto* rename = new QPushButton(QStringLiteral("名前の変更..."), &dialog);
    auto* remove = new QPushButton(QStringLiteral("削除"), &dialog);
    auto* close = new QPushButton(QStringLiteral("閉じる"), &dialog);
    auto* side = new QVBoxLayout;
    for (QPushButton* button : {create, rename, remove})
        side->addWidget(button);
    side->addStretch();
    side->addWidget(close);
    auto* layout = new QHBoxLayout(&dialog);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("オリジナルフォーム"), &dialog));
    left->addWidget(list);
    layout->addLayout(left);
    layout->addLayout(side);

    const auto sync = [&] {
        const bool selected = list->currentRow() >= 0;
        rename->setEnabled(selected);
        remove->setEnabled(selected);
    };
    FillUserForms(*list, ctrl, 0);
    sync();
    QObject::connect(list, &QListWidget::currentRowChanged, &dialog, sync);
    QObject::connect(create, &QPushButton::clicked, &dialog, [&] {
        const QList<CLayoutInfo> bases = ctrl.GetBaseLayouts();
        QStringList labels;
        for (const CLayoutInfo& base : bases)
            labels << LayoutLabel(base);
        bool ok = false;
        const QString picked = QInputDialog::getItem(
            &dialog, QStringLiteral("新規作成"), QStringLiteral("元にするフォーム"), labels, 0, false, &ok);
        const qsizetype index = labels.indexOf(picked);
        if (!ok || index < 0)
            return;
        const QString name =
            QInputDialog::getText(&dialog, QStringLiteral("新規作成"), QStringLiteral("フォーム名"),
                                  QLineEdit::Normal, bases[index].m_strName, &ok);
        if (!ok)
            return;
        const int row = ctrl.Create(bases[index], name);
        if (row >= 0)
            FillUserForms(*list, ctrl, row);
    });
    QObject::connect(rename, &QPushButton::clicked, &dialog, [&] {
        const int row = list->currentRow();
        if (row < 0)
            return;
        bool ok = false;
        const QString name =
            QInputDialog::getText(&dialog, QStringLiteral("名前の変更"), QStringLiteral("フォーム名"),
                                  QLineEdit::Normal, ctrl.GetForms()[row].m_strName, &ok);
        if (ok && ctrl.Rename(row, name))
            FillUserForms(*list, ctrl, row);
    });
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
        const int row = list->currentRow();
        if (row >= 0 && ctrl.Delete(row))
            FillUserForms(*list, ctrl, std::min(row, int(ctrl.GetForms().size()) - 1));
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.resize(480, 320);
    dialog.exec();
}
