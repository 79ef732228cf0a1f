// The object windows' factory: opens blank, random, result, loaded and kept
// objects within the cell budget, brings a window forward, closes them all,
// and keeps the closed ones for reopening.
#pragma once

#include "files/SessionFile.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class CEntryControlView;
class CMatrix;
class CObjectRegistry;

// Largest number of cells open at once.
inline constexpr int kMaxEditControls = 4999;

class CObjectWindows : public QObject
{
    Q_OBJECT

public:
    explicit CObjectWindows(CObjectRegistry& registry, QObject* pParent = nullptr);

    // Each opens a window of nRows x nCols cells, which the registry lists
    // and counts, and returns its view. Each throws
    // MessageText::kBudgetReached (as const char*), opening nothing, when
    // the cells would take the open ones past kMaxEditControls.
    // Blank cells (they count as 0).
    CEntryControlView* OpenBlank(int nRows, int nCols);
    // Values from 0 to 1 drawn from the program's pseudo-random sequence.
    CEntryControlView* OpenRandom(int nRows, int nCols);
    // The matrix's values, under a composed name (a result) or, without one,
    // under its number with the suffix after it (a loaded object's path).
    CEntryControlView* OpenFilled(const CMatrix& values, const QString& strName,
                                  const QString& strSuffix = QString());

    // Where the random sequence goes on from: the dialog starts it from the
    // time; a test may fix it.
    void SetRandomSeed(std::int32_t nSeed) { m_nRandomSeed = nSeed; }
    std::int32_t RandomSeed() const { return m_nRandomSeed; }

    // Brings the window of entry k of the object list forward, restored, with
    // the focus in its first cell.
    void BringForward(int k);
    // Closes every object window, newest first; they can be reopened in one
    // step.
    void CloseAll();
    // The same, but not kept for reopening (they are kept elsewhere), and
    // forgetting the windows closed before.
    void CloseAllUnkept();
    // From now on, windows that close are not kept for reopening (the
    // program is ending).
    void StopKeepingClosed() { m_bKeepClosed = false; }

    // The object as its window shows it: number, name, size, cell texts and
    // the window's place.
    static KeptObject CaptureObject(const CEntryControlView& view);
    // Every open object in list order, the selection and the next number.
    KeptSession CaptureSession() const;
    // Opens the object again with its own number, name, size and cell
    // texts, its window where it was (moved onto a screen where none shows
    // that place); new numbers go on above nNextNumber. Throws the budget
    // text past the budget; returns null, opening nothing, when an open
    // object has that number.
    CEntryControlView* RestoreObject(const KeptObject& object, int nNextNumber = 1);
    // Opens a kept session's objects beside the open ones (those whose
    // number is taken, or that do not fit, are left out), selects what it
    // had selected, and goes on with its next number. Returns how many
    // objects opened.
    int RestoreSession(const KeptSession& session);
    // Brings back the window closed last, or all the windows of the last
    // close-all; again, the ones before. An object that does not fit in the
    // cell budget gets the message and stays closed.
    void ReopenClosed();
    // How many closings can be undone.
    int ClosedGroups() const { return int(m_ClosedObjects.size()); }

private:
    // Throws the budget text when nCells more would not fit.
    void CheckBudget(int nCells) const;
    // Opens a window whose cells hold the texts row by row (blank past the
    // last text), after the budget check.
    CEntryControlView* Open(const QString& strName, const QString& strSuffix, int nRows, int nCols,
                            const QStringList& texts = QStringList());
    // Records a closing window's object for reopening.
    void KeepClosedObject(CEntryControlView* pView);
    // Opens a kept object whose cells hold the texts (see RestoreObject).
    CEntryControlView* Restore(const KeptObject& object, const QStringList& texts, int nNextNumber);

    // A closed window's object: everything but the cells' texts, which stay
    // as the cells held them (shared, not copied).
    struct SClosedObject
    {
        KeptObject object;
        QStringList texts;
    };

    CObjectRegistry& m_Registry;
    // The program's pseudo-random sequence: where it goes on from.
    std::int32_t m_nRandomSeed = 0;
    // Closed objects, oldest first; a close-all makes one group.
    std::vector<std::vector<SClosedObject>> m_ClosedObjects;
    // While set, closing windows join the newest group instead of starting
    // one; while m_bKeepClosed is false they are not kept at all.
    bool m_bGroupClosed = false;
    bool m_bKeepClosed = true;
};
