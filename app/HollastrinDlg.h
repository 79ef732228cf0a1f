// The main dialog: size lists, creation buttons, the list of open objects,
// the operation and file buttons, and the state the object windows share.
#pragma once

#include <functional>

#include "app/FileCommands.h"
#include "app/ObjectCommands.h"
#include "app/ObjectWindows.h"
#include "app/Operations.h"
#include "objects/ObjectRegistry.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <utility>

class CEntryControlView;
class CMatrix;
class QKeyEvent;
class QMenu;
class CMoreOperationsDlg;
class CObjectList;
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

    // The open and selected objects' windows: opening, closing, reopening.
    CObjectWindows& Windows() { return m_Windows; }
    // The command runner of this dialog's and the More Operations window's
    // operations.
    CObjectCommands& Commands() { return m_Commands; }

    // Object creation: a window of the size chosen in the two lists.
    void OnZeroedObject();
    void OnRandomObject();

    // Object list, compare, close-all and the clearing of the selection.
    void OnSelchangeObjectList();
    // Ctrl+L: the dialog comes forward with the focus in the object list.
    void OnObjectListKey();
    void OnCmp() { RunOperation(EMainOperation::Cmp); }
    void OnCloseAllObjects();
    void DeselectOne();
    void DeselectTwo();

    // Operation commands: each runs its row of the operation table.
    void OnMag() { RunOperation(EMainOperation::Mag); }
    void OnDot() { RunOperation(EMainOperation::Dot); }
    void OnCrs() { RunOperation(EMainOperation::Crs); }
    void OnAng() { RunOperation(EMainOperation::Ang); }
    void OnAdd() { RunOperation(EMainOperation::Add); }
    void OnSub() { RunOperation(EMainOperation::Sub); }
    void OnMul() { RunOperation(EMainOperation::Mul); }
    void OnPow() { RunOperation(EMainOperation::Pow); }
    void OnTrp() { RunOperation(EMainOperation::Trp); }
    void OnCof() { RunOperation(EMainOperation::Cof); }
    void OnAdj() { RunOperation(EMainOperation::Adj); }
    void OnInv() { RunOperation(EMainOperation::Inv); }
    void OnDet() { RunOperation(EMainOperation::Det); }
    void OnTrc() { RunOperation(EMainOperation::Trc); }
    void OnSlv() { RunOperation(EMainOperation::Slv); }

    // The "More Operations" window: opens it, or brings it forward.
    void OnMoreOperations();
    // The window while it exists, else null.
    CMoreOperationsDlg* MoreOperationsWindow() const;

    // Ctrl+Shift+T: brings back the window closed last, or all the windows
    // of the last "Close  All  Objects"; again, the ones before.
    void OnReopenClosedObject();

    // Object files.
    void OnFileLoad();
    void OnFileSave();
    void LoadObjectFile();
    void SaveObjectFile();
    // The file commands' other ways in (see CFileCommands).
    void OpenObjectFile(const QString& path, bool bNameFile = false);
    void OpenObjectFiles(const QStringList& paths);
    void OpenDroppedFiles(const QStringList& paths);

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
    void RunOperation(EMainOperation op);
    // The size chosen in the two lists (rows, columns); shows the message
    // and returns nothing when either has no choice.
    std::optional<std::pair<int, int>> ReadNewSize();
    // Opens an object of the chosen size as open does; a refusal is shown.
    void CreateObject(CEntryControlView* (CObjectWindows::*open)(int, int));
    // A key that runs the handler from any of the program's windows.
    void AddCommandKey(const QString& keys, const std::function<void()>& action);
    void CreateControls();
    // F1, and names and labels for screen readers.
    void SetUpKeyboard();
    // True when the drop-down of a size list is open, or the key event has
    // just closed it: Escape and Enter then belong to the drop-down alone.
    bool KeyBelongsToDropDown(const QKeyEvent* pEvent);
    void WatchDropDown(QComboBox* pCombo);

    QIcon m_hIcon;
    CObjectRegistry m_Registry;
    CObjectWindows m_Windows{m_Registry};
    CObjectCommands m_Commands{m_Registry, m_Windows, this};
    CFileCommands m_Files{m_Registry, m_Windows, m_Commands, this};
    QHash<int, QWidget*> m_Controls;
    // The list box of open objects follows the registry (the list box's
    // child).
    CObjectList* m_pObjectList = nullptr;
    // The time stamp of the key that closed a size list's drop-down.
    quint64 m_nDropDownKeyTime = 0;
    // A child window: it ends with the dialog.
    QPointer<QDialog> m_pMoreOperations;
};
