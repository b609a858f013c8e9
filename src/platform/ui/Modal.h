#pragma once

#include <functional>

class QDialog;

// Runs a dialog modally and answers its result (QDialog::Accepted or
// Rejected). Tests install a runner that drives the dialog's widgets and
// closes it, so a command that opens a dialog runs without a window loop.
using ModalRunner = std::function<int(QDialog& dialog)>;

int RunModal(QDialog& dialog);

// Installs a runner (an empty one goes back to QDialog::exec) and answers
// the one installed before.
ModalRunner SetModalRunner(ModalRunner runner);

// Installs a runner for its lifetime and puts back what was there.
class ScopedModalRunner
{
  public:
    explicit ScopedModalRunner(ModalRunner runner) : m_old(SetModalRunner(std::move(runner))) {}
    ~ScopedModalRunner() { SetModalRunner(std::move(m_old)); }
    ScopedModalRunner(const ScopedModalRunner&) = delete;
    ScopedModalRunner& operator=(const ScopedModalRunner&) = delete;

  private:
    ModalRunner m_old;
};
