// The main dialog: size lists, creation buttons, the list of open objects,
// the operation and file buttons, and the state the object windows share.
#pragma once

#include "files/SessionFile.h"
#include "objects/ObjectRegistry.h"
#include "platform/Random.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class CEntryControlView;
class CMatrix;
class QKeyEvent;
class QMenu;
class CMoreOperationsDlg;
class QComboBox;
class QListWidget;

// Control identifiers of the main dialog.
enum : int
{
    IDC_CLOSE = 1,
    IDC_ADD = 1006,
    IDC_MAG = 1007,
    IDC_SUB = 1029,
    IDC_TRC = 1030,
    IDC_MUL = 1031,
    IDC_CMP = 1032,
    IDC_POW = 1033,
    IDC_SELECT_COLUMNS_LABEL = 1034,
    IDC_DOT = 1035,
    IDC_TRP = 1036,
    IDC_COF = 1037,
    IDC_ADJ = 1038,
    IDC_INV = 1039,
    IDC_CRS = 1040,
    IDC_ANG = 1041,
    IDC_DET = 1042,
    IDC_SELECT_ROWS_LABEL = 1043,
    IDC_SLV = 1044,
    IDC_ROWS = 1046,
    IDC_COLS = 1047,
    IDC_OBJECT_LIST = 1048,
    IDC_HELP = 57670,
    IDC_ZEROED_OBJECT = 57671,
    IDC_FILE_SAVE = 57672,
    IDC_FILE_LOAD = 57673,
    IDC_RANDOM_OBJECT = 57674,
    IDC_CLOSE_ALL_OBJECTS = 57676,
};

// The system-menu command of the About item.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;
// The text of the About item.
inline constexpr char kAboutMenuText[] = "&About Hollastrin...";
// The context-menu item and the key that open the "More Operations" window.
inline constexpr char kMoreOperationsMenuText[] = "&More Operations...";
inline constexpr char kMoreOperationsKey[] = "Ctrl+M";
// The key that puts the focus in the list of open objects; there, the arrow
// keys choose an object and Enter or Space brings its window forward.
inline constexpr char kObjectListKey[] = "Ctrl+L";
// The key and the menu entry that bring back the window closed last.
inline constexpr char kReopenClosedKey[] = "Ctrl+Shift+T";
inline constexpr char kReopenClosedMenuText[] = "&Reopen Closed Object";
// Largest number of cells open at once.
inline constexpr int kMaxEditControls = 4999;

// The dialog owns the registry of open and selected objects, and its list
// box follows the registry.
class CHollastrinDlg : public QDialog
{
    Q_OBJECT

public:
    // What a button or a command key runs.
    using Handler = void (CHollastrinDlg::*)();

    explicit CHollastrinDlg(QWidget* pParent = nullptr);
    ~CHollastrinDlg() override;

    // The open and selected objects, the cell count and the next number.
    const CObjectRegistry& Registry() const { return m_Registry; }

    // The control with that identifier, or null.
    QWidget* GetDlgItem(int nID) const;
    QComboBox* RowsBox() const;
    QComboBox* ColsBox() const;
    QListWidget* ObjectListBox() const;

    bool OnInitDialog();
    void OnSysCommand(unsigned nID, long lParam);
    void OnDestroy();
    // "Help" and F1: the program's help window.
    void OnHelp();

    // Object creation.
    void OnZeroedObject();
    void OnRandomObject();
    // Both throw MessageText::kBudgetReached (as const char*) when the object
    // would take the open cells past kMaxEditControls; nothing opens then.
    // A command composes the result's name before it computes, while the
    // operands' windows surely exist.
    void CreateResultObject(const CMatrix& result, const QString& name);
    // A result's name: the prefix, the first operand's name, a comma and the
    // second's (when there is one), a closing parenthesis.
    static QString ResultName(const char* prefix, const CEntryControlView* first,
                              const CEntryControlView* second);
    void CreateLoadedObject(const CMatrix& values, QString suffix);

    // Object list, compare, close-all and the clearing of the selection.
    void OnSelchangeObjectList();
    // Ctrl+L: the dialog comes forward with the focus in the object list.
    void OnObjectListKey();
    // Brings the window of entry k of the object list forward, restored, with
    // the focus in its first cell.
    void BringObjectForward(int k);
    void OnCmp();
    void OnCloseAllObjects();
    void DeselectOne();
    void DeselectTwo();
    // The selection checks of the commands: true when the selection holds
    // what the command needs; otherwise shows why not, and a command on one
    // object clears a selection of two.
    bool HoldsOneSelected();
    bool HoldsTwoSelected();

    // Operation commands.
    void OnMag();
    void OnDot();
    void OnCrs();
    void OnAng();
    void OnAdd();
    void OnSub();
    void OnMul();
    void OnPow();
    void OnTrp();
    void OnCof();
    void OnAdj();
    void OnInv();
    void OnDet();
    void OnTrc();
    void OnSlv();

    // What a command computes from its operands' matrices (one or two, in
    // order of selection): the results, one window each.
    using ResultsCompute = std::function<std::vector<CMatrix>(std::span<const CMatrix>)>;
    // Runs a command on nOperands (1 or 2) selected objects as the operation
    // buttons do: the selection checks, the cells read, the computation under
    // the progress watch, the results opened, a refusal shown, the selection
    // cleared. A single result is named caption(1) or caption(1,2); several
    // are named caption.part(1), one part name each, in the order of the
    // results. The results open only when they all fit in the cell budget
    // together; otherwise none opens.
    void RunObjectCommand(int nOperands, const QString& caption, const QStringList& parts,
                          const ResultsCompute& compute);

    // The "More Operations" window: opens it, or brings it forward.
    void OnMoreOperations();
    // The window while it exists, else null.
    CMoreOperationsDlg* MoreOperationsWindow() const;

    // Objects kept and brought back (a kept session, a closed window).
    // The object as its window shows it: number, name, size, cell texts and
    // the window's place.
    static KeptObject CaptureObject(const CEntryControlView& view);
    // Every open object in list order, the selection and the next number.
    KeptSession CaptureSession() const;
    // Opens the object again with its own number, name, size and cell
    // texts, its window where it was (moved onto a screen where none shows
    // that place); new numbers go on above nNextNumber. Throws
    // MessageText::kBudgetReached (as const char*), and opens nothing, past
    // the cell budget; returns null, opening nothing, when an open object has
    // that number.
    CEntryControlView* RestoreObject(const KeptObject& object, int nNextNumber = 1);
    // Opens a kept session's objects beside the open ones (those whose
    // number is taken, or that do not fit, are left out), selects what it
    // had selected, and goes on with its next number. Returns how many
    // objects opened.
    int RestoreSession(const KeptSession& session);
    // Ctrl+Shift+T: brings back the window closed last, or all the windows
    // of the last "Close  All  Objects"; again, the ones before. An object
    // that does not fit in the cell budget gets the message and stays closed.
    void OnReopenClosedObject();
    // How many closings can be undone.
    int ClosedObjectGroups() const { return int(m_ClosedObjects.size()); }
    // Closes every object window without keeping them for reopening (they
    // are kept elsewhere), and forgets the windows closed before.
    void CloseAllObjectsUnkept();

    // Object files.
    void OnFileLoad();
    void OnFileSave();
    void LoadObjectFile();
    // Opens the file's object as "File Load" does once the file is chosen;
    // a file that cannot be opened or read, or an object past the cell
    // budget, gets its message box and opens nothing. With bNameFile, a
    // refusal whose text does not name the file has its path below.
    void OpenObjectFile(const QString& path, bool bNameFile = false);
    // Opens each file in turn as OpenObjectFile does (files named at the
    // start, files dropped anywhere on the program), naming the file in each
    // refusal when there are several; stops when the dialog has ended.
    void OpenObjectFiles(const QStringList& paths);
    void SaveObjectFile();
    // Files dropped on the dialog or on an object window: opened as
    // OpenObjectFiles opens them, once the drop has ended.
    void OpenDroppedFiles(const QStringList& paths);

    std::int32_t m_nRandomSeed = 0;
    QIcon m_hIcon;
    int m_nNewRows = 0;
    int m_nNewCols = 0;
    // The program's pseudo-random generator; only random objects draw from it.
    CRandomGenerator m_Random;

    // Closes the dialog: object windows first, newest first.
    void done(int nResult) override;

signals:
    // The dialog is ending; every object window is still open.
    void aboutToEnd();
    // The dialog's context menu is about to show: others may add entries.
    void contextMenuAboutToShow(QMenu* pMenu);

protected:
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    // Local files dropped on the dialog are opened as objects.
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    // The shared part of every creation: opens a window of m_nNewRows x
    // m_nNewCols blank cells, which the registry lists and counts. Throws
    // MessageText::kBudgetReached (as const char*), and opens nothing, when
    // the cells would take the open ones past kMaxEditControls. Returns the
    // view.
    CEntryControlView* OpenObjectWindow(const QString& strName, const QString& strSuffix);
    // Reads the size lists into m_nNewRows and m_nNewCols; shows the message
    // and returns false when either has no selection.
    bool ReadNewSize();
    // Opens a result or loaded object, filled with the matrix; throws the
    // budget text when it would not fit.
    void CreateFilledObject(const CMatrix& values, const QString& strName,
                            const QString& strSuffix);
    // A key that runs the handler from any of the program's windows.
    void AddCommandKey(const QString& keys, Handler handler);
    void CreateControls();
    // F1, and names and labels for screen readers.
    void SetUpKeyboard();
    // Takes the object's number out of the list box of open objects.
    void RemoveObjectListEntry(int nObjectNumber);

    // Records a closing window's object for Ctrl+Shift+T.
    void KeepClosedObject(CEntryControlView* pView);
    // True when the drop-down of a size list is open, or the key event has
    // just closed it: Escape and Enter then belong to the drop-down alone.
    bool KeyBelongsToDropDown(const QKeyEvent* pEvent);
    void WatchDropDown(QComboBox* pCombo);

    CObjectRegistry m_Registry;
    QHash<int, QWidget*> m_Controls;
    // Closed objects, oldest first; "Close  All  Objects" makes one group.
    std::vector<std::vector<KeptObject>> m_ClosedObjects;
    // While set, closing windows join the newest group instead of starting
    // one; while m_bKeepClosed is false they are not kept at all.
    bool m_bGroupClosed = false;
    bool m_bKeepClosed = true;
    // The time stamp of the key that closed a size list's drop-down.
    quint64 m_nDropDownKeyTime = 0;
    // A child window: it ends with the dialog.
    QPointer<QDialog> m_pMoreOperations;
};
