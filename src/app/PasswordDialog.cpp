#include "app/PasswordDialog.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace
{

QLineEdit* AddField(QDialog& dialog, QFormLayout& form, const QString& label)
{
    auto* edit = new QLineEdit(&dialog);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(32);
    form.addRow(label, edit);
    return edit;
}

QDialogButtonBox* AddButtons(QDialog& dialog, QFormLayout& form)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form.addRow(buttons);
    return buttons;
}

} // namespace

bool AskPassword(QString& password, QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("パスワードの入力"));
    auto* form = new QFormLayout(&dialog);
    QLineEdit* edit = AddField(dialog, *form, QStringLiteral("パスワード："));
    AddButtons(dialog, *form);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    password = edit->text();
    return true;
}

bool AskNewPassword(QString& password, QWidget* parent)
{
    for (;;) {
        QDialog dialog(parent);
        dialog.setWindowTitle(QStringLiteral("パスワードの設定・解除"));
        auto* form = new QFormLayout(&dialog);
        QLineEdit* first = AddField(dialog, *form, QStringLiteral("新しいパスワード："));
        QLineEdit* second = AddField(dialog, *form, QStringLiteral("確認のため再入力："));
        AddButtons(dialog, *form);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        if (first->text() == second->text()) {
            password = first->text();
            return true;
        }
        UiServices::Prompt().MessageBox(QStringLiteral("入力されたパスワードが一致しません。"), MB_OK,
                                        MB_ICONEXCLAMATION);
    }
}
