#pragma once

#include "master/Extract.h"
#include "master/ExtractBuilder.h"
#include "platform/data/ExCondition.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class CMainFrame;

// What the extraction dialog uses of the frame: the active extraction and
// its flag (1: a saved condition taken over unchanged).
class IExtractHost
{
  public:
    virtual ~IExtractHost() = default;
    virtual const CExCondition* GetActiveExtraction() const = 0;
    virtual int GetActiveFlag() const = 0;
    virtual void SetActiveExtraction(std::unique_ptr<CExCondition> condition, int flag) = 0;
    virtual void ReleaseActiveExtraction() = 0;
};

// The program's frame as the host.
class CFrameExtractHost : public IExtractHost
{
  public:
    explicit CFrameExtractHost(CMainFrame& frame) : m_frame(frame) {}
    const CExCondition* GetActiveExtraction() const override;
    int GetActiveFlag() const override;
    void SetActiveExtraction(std::unique_ptr<CExCondition> condition, int flag) override;
    void ReleaseActiveExtraction() override;

  private:
    CMainFrame& m_frame;
};

// The rules of the extraction dialog without its widgets: three condition
// rows joined by connectors, the saved conditions of the target with save,
// rename and delete, taking a saved condition over, and running or
// releasing the extraction. The dialog reports every change the user makes
// and shows what the rules hold.
class CExtractRules
{
  public:
    // Asks for a name (at most 100 bytes): true with `name` set on OK.
    using NameAsker = std::function<bool(const QString& caption, const QString& prompt, QString& name)>;
    // The control to go back to after a refusal.
    enum Focus { kFocusNone, kFocusList, kFocusField, kFocusValue, kFocusOperator };

    // Target 0 products, 1 customers, 2 suppliers.
    CExtractRules(EMasterKind target, IExtractHost& host, NameAsker askName);

    int GetTarget() const { return m_builder.GetTarget(); }
    QString GetCaption() const;
    // Fields, rows, saved list and the active extraction shown again.
    void Init();
    CExtractBuilder& Builder() { return m_builder; }

    // --- the rows (0 A, 1 B, 2 C) ---
    const CExtractRow& Row(int row) const { return m_rows[size_t(row)]; }
    bool IsRowEnabled(int row) const;
    // Each change of the user's clears the taken-over flag.
    void SetField(int row, int field);
    void SetValueText(int row, const QString& text);
    void SelectValue(int row, int item);
    void SelectOperator(int row, int op);
    void SelectConnector(int row, int connector);

    // --- saved conditions of the target ---
    const QStringList& GetSavedNames() const { return m_savedNames; }
    int GetSavedSelection() const { return m_nSavedSel; }
    // Choosing a saved condition takes it over.
    void SelectSaved(int index);
    bool CanRenameOrDelete() const { return m_nSavedSel >= 0; }
    // 1 saved; 0 refused, cancelled or not written (said).
    int OnSave();
    int OnRename();
    int OnDelete();

    // --- ending ---
    // True when the dialog closes with IDOK.
    bool OnRun();
    bool OnRelease();
    bool CanRelease() const { return m_host.GetActiveExtraction() != nullptr; }

    int GetTakenOver() const { return m_bTakenOver; }
    const CExCondition& GetWorking() const { return m_working; }
    // After a refusal: the control and, for the rows, which one.
    Focus GetFocus() const { return m_focus; }
    int GetFocusRow() const { return m_nFocusRow; }

  private:
    void FillSavedList();
    // Shows the condition in the rows and makes its statement again from
    // them; whether it can be taken over unchanged (what cannot be shown
    // has been said).
    bool Restore(CExCondition& condition);
    // One row from its parts: 1 shown, 2 shown without its operator, 0 its
    // field is unknown (both said).
    int RestoreRow(int row, const QStringList& parts);
    // Writes the store and lists what the file holds; 0 said. The selected
    // row stays selected when asked for and after a failure.
    int SaveStore(bool keepSelection);
    bool AskName(const QString& caption, const QString& prompt, QString& name);
    bool FitsTarget(int kind) const { return kind == m_builder.Kind().extractKind; }
    bool BuildWorking();
    void Touched() { m_bTakenOver = 0; }

    IExtractHost& m_host;
    NameAsker m_askName;
    CExtractBuilder m_builder;
    std::array<CExtractRow, 3> m_rows;
    CExtract m_store;
    CExCondition m_working;
    QStringList m_savedNames;
    QList<int> m_savedIndexes; // store index of each listed name
    int m_nSavedSel = -1;
    int m_bTakenOver = 0;
    Focus m_focus = kFocusNone;
    int m_nFocusRow = -1;
};
