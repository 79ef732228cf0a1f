// The open and save dialogs of "File Load" and "File Save".
//
// Both are Qt's own file dialog (never the desktop's native one), owned by and
// window-modal to the given widget, so that the object windows stay usable
// while a dialog is open.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

enum class FileDialogKind
{
    // An existing file, any name, no filter.
    Open,
    // Any name, used exactly as typed; asks before replacing a file.
    Save,
};

// Shows the dialog and returns the full path of the chosen file, or nothing
// when the user cancels.
std::optional<QString> GetObjectFileName(QWidget* pOwner, FileDialogKind kind);

// Test seam: while a hook is installed, GetObjectFileName shows nothing and
// returns what the hook returns (a path, or nothing for a cancel). Returns
// the previous hook.
using FileDialogHook = std::function<std::optional<QString>(FileDialogKind)>;
FileDialogHook SetFileDialogHook(FileDialogHook hook);
