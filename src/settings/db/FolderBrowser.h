#pragma once

#include <QString>

class QWidget;

// The platform's folder picker with an initial selection and a prompt; the
// process's current directory is the same afterwards.
class CFolderBrowser
{
  public:
    explicit CFolderBrowser(QWidget* owner = nullptr) : m_pOwner(owner) {}

    // 1 chosen (GetPath holds it), 2 cancelled (GetPath empty). An empty
    // prompt shows the default one.
    int Browse(const QString& initialFolder = {}, const QString& prompt = {});
    const QString& GetPath() const { return m_strPath; }

  private:
    QString m_strPath;
    QWidget* m_pOwner;
};
