#include "platform/ui/Modal.h"

#include <QDialog>

namespace
{

ModalRunner& Runner()
{
    static ModalRunner runner;
    return runner;
}

} // namespace

int RunModal(QDialog& dialog)
{
    if (const ModalRunner& runner = Runner())
        return runner(dialog);
    return dialog.exec();
}

ModalRunner SetModalRunner(ModalRunner runner)
{
    ModalRunner old = std::move(Runner());
    Runner() = std::move(runner);
    return old;
}
