// The program's one message box: caption "Quindle", the text, one OK button,
// the exclamation icon unless the caller asks for the information icon. It is
// window-modal to the main dialog, so object windows stay usable meanwhile.
//
// Every message text of the program's windowing side is kept here once.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace MessageText
{
// Selection rules of the commands.
inline constexpr char kSelectOne[] = "Select an object by right-clicking on its background.";
inline constexpr char kOnlyOne[] = "Only one object should be selected for this operation.";
inline constexpr char kSelectTwo[] = "Select two objects by right-clicking on their backgrounds.";
inline constexpr char kSelectAnother[] =
    "Select an additional object by right-clicking on its background.";
inline constexpr char kTwoAlreadySelected[] = "Two objects are already selected.";
// Reading the cells of an object.
inline constexpr char kIllegalCharacter[] = "Illegal character entered in an object cell.";
// Creating objects.
inline constexpr char kSelectDimensions[] = "Select both dimensions of the object.";
inline constexpr char kBudgetReached[] = "The maximum number of edit controls has been reached. "
                                         "Please close some object windows or restart Quindle.";
// Compare.
inline constexpr char kDimensionsDiffer[] = "The dimensions of the two objects differ.";
inline constexpr char kIdentical[] = "The two objects are identical.";
inline constexpr char kNotIdentical[] = "The two objects are NOT identical.";
// Solve.
inline constexpr char kSolveFirstNotSquare[] = "The first object must be a square matrix.";
inline constexpr char kSolveSecondShape[] =
    "The second object must be a column vector with the same number of rows as the number of "
    "columns in the first object.";
// Object files. kFileFormat holds "%s" where the file's path goes.
inline constexpr char kFileNotOpened[] = "The specified file could not be opened.";
inline constexpr char kFileFormat[] = "Error reading file %s - check format.";
inline constexpr char kOutputNotOpened[] = "The output file could not be opened.";
// Writing the file or putting it in place failed after it was opened.
inline constexpr char kOutputNotWritten[] = "The output file could not be written.";
} // namespace MessageText

// The caption of every message box and the program's name for its windows.
inline constexpr char kAppCaption[] = "Quindle";

enum class MessageIcon
{
    Exclamation,
    Information,
};

// What a box shows; handed to the test hook instead of showing the box.
struct MessageBoxRecord
{
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::Exclamation;
};

// Shows the box and returns when the user has answered it. The box is a child
// of the widget given by SetMessageBoxOwner (the main dialog); without one it
// is a parentless application-modal box.
void AppMessageBox(const QString& text, MessageIcon icon = MessageIcon::Exclamation);
inline void AppMessageBox(const char* text, MessageIcon icon = MessageIcon::Exclamation)
{
    AppMessageBox(QString::fromUtf8(text), icon);
}

// The main dialog registers itself here while it exists.
void SetMessageBoxOwner(QWidget* pOwner);
QWidget* MessageBoxOwner();

// Test seam: while a hook is installed, AppMessageBox shows nothing and hands
// the box to the hook instead (which stands for the user pressing OK).
// Returns the previous hook.
using MessageBoxHook = std::function<void(const MessageBoxRecord&)>;
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
