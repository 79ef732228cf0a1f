// The two fixed dialogs (the main dialog and the More Operations window) are
// built from templates: one row a control, its rectangle in dialog units,
// in creation and tab order.
#pragma once

#include "app/Operations.h"

#include <QHash>
#include <QPushButton>
#include <QString>

#include <functional>
#include <span>

class QComboBox;
class QDialog;
class QWidget;

enum class EControlKind
{
    Combo,
    Button,
    List,
    Label,
    Group,
};

// One control. pHandler is what a button's click runs, given to the
// dialog's wiring as it is; an operation's button (nOperation set) takes its
// caption, keys and description from its row of the operation table.
template <class Dialog> struct SControlTemplate
{
    EControlKind kind;
    int nID;
    const char* pText;
    int x, y, w, h;
    void (Dialog::*handler)() = nullptr;
    const char* pKeys = nullptr;
    const char* pDescription = nullptr;
    int nOperation = -1;
};

// A fixed dialog: its title and the dialog font, its size in dialog units,
// never minimised or maximised, F1 opening the help.
void SetUpFixedDialog(QDialog* pDialog, const char* pTitle, int nWidthDlu, int nHeightDlu);

// What the builder needs of a row, whatever the dialog.
struct SControlRow
{
    EControlKind kind;
    int nID;
    QString text;
    int x, y, w, h;
    // A button's keys and what it does in words (tooltip and description
    // for screen readers: "what (keys)", or "what" without keys).
    QString keys;
    QString description;
};

// How buttons take the focus: the main dialog's only by a click, the More
// Operations window's also by Tab.
enum class EButtonFocus
{
    Click,
    Tab,
};

// Creates the control of a row as a child of the dialog, placed and
// labelled; groups go behind the controls they frame. Returns the control.
// A button's object name is "button" and its caption without blanks
// ("buttonCloseAllObjects"). Lists without a caption are named by their
// dialog.
QWidget* CreateControl(QDialog* pDialog, const SControlRow& row, EButtonFocus focus);

// A drop-down list shows as many entries as fit in the height its template
// gives it below the box (about eight), and scrolls to the others.
void FitDropDownList(QComboBox* pCombo);

// The control with that identifier, or null.
inline QWidget* DialogItem(const QHash<int, QWidget*>& controls, int nID)
{
    return controls.value(nID, nullptr);
}

// Builds every control of the template in order and returns them by
// identifier (groups, which have none, are left out). operationRow gives an
// operation button's row; wire connects each button that has a handler.
template <class Dialog>
QHash<int, QWidget*> BuildControls(
    Dialog* pDialog, std::span<const SControlTemplate<Dialog>> controls,
    const std::function<const SOperation&(int)>& operationRow, EButtonFocus focus,
    const std::function<void(const SControlTemplate<Dialog>&, QPushButton*, const QString& keys)>&
        wire)
{
    QHash<int, QWidget*> items;
    for (const SControlTemplate<Dialog>& t : controls)
    {
        SControlRow row{t.kind,
                        t.nID,
                        QString::fromUtf8(t.pText),
                        t.x,
                        t.y,
                        t.w,
                        t.h,
                        QString::fromUtf8(t.pKeys),
                        QString::fromUtf8(t.pDescription)};
        if (t.nOperation >= 0 && operationRow)
        {
            const SOperation& op = operationRow(t.nOperation);
            row.text = QString::fromUtf8(op.pCaption);
            row.keys = QString::fromUtf8(op.pKeys);
            row.description = QString::fromUtf8(op.pDescription);
        }
        QWidget* pControl = CreateControl(pDialog, row, focus);
        if (auto* pButton = qobject_cast<QPushButton*>(pControl); pButton && wire)
            wire(t, pButton, row.keys);
        if (t.kind != EControlKind::Group)
            items.insert(t.nID, pControl);
    }
    return items;
}
