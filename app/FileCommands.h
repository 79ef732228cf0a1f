// "File Load" and "File Save", their file dialogs, and object files named at
// the start or dropped on any window.
#pragma once

#include <QString>
#include <QStringList>

class CObjectCommands;
class CObjectRegistry;
class CObjectWindows;
class QWidget;

class CFileCommands
{
public:
    // The registry holds the selected object to save, the factory opens
    // loaded objects, the runner checks and clears the selection; pOwner
    // owns the file dialogs and boxes, and its end stops the opening of
    // several files.
    CFileCommands(CObjectRegistry& registry, CObjectWindows& windows, CObjectCommands& commands,
                  QWidget* pOwner);

    // "File Load": a file chosen in the file dialog, opened as OpenFile does.
    void Load();
    // "File Save": the one selected object to a file chosen in the file
    // dialog, atomically where the folder allows. Throws
    // MessageText::kOutputNotOpened (as const char*) when the file cannot be
    // opened at all; the selection is cleared otherwise.
    void Save();
    // Opens the file's object; a file that cannot be opened or read, or an
    // object past the cell budget, gets its message box and opens nothing.
    // With bNameFile, a refusal whose text does not name the file has its
    // path below.
    void OpenFile(const QString& path, bool bNameFile = false);
    // Opens each file in turn as OpenFile does (files named at the start,
    // files dropped anywhere on the program), naming the file in each
    // refusal when there are several; stops when the owner has ended.
    void OpenFiles(const QStringList& paths);
    // Files dropped on the dialog or on an object window: opened as
    // OpenFiles opens them, once the drop has ended.
    void OpenDropped(const QStringList& paths);

private:
    CObjectRegistry& m_Registry;
    CObjectWindows& m_Windows;
    CObjectCommands& m_Commands;
    QWidget* m_pOwner;
};
