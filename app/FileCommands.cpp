// "File Load" and "File Save", their file dialogs, and object files named at
// the start or dropped on the dialog.
#include "app/FileCommands.h"

#include "app/FileDialog.h"
#include "app/ObjectCommands.h"
#include "app/ObjectWindows.h"
#include "engine/Matrix.h"
#include "files/ObjectFile.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectRegistry.h"
#include "platform/FileDrops.h"
#include "platform/FileNames.h"
#include "platform/MessageBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QPointer>
#include <QSaveFile>
#include <QStringList>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>

namespace
{
// Put between the object number and the file's path in a loaded object's
// title.
constexpr char kLoadedTitleGap[] = "  ";

FileDialogHook& Hook()
{
    static FileDialogHook s_hook;
    return s_hook;
}

} // namespace

CFileCommands::CFileCommands(CObjectRegistry& registry, CObjectWindows& windows,
                             CObjectCommands& commands, QWidget* pOwner)
    : m_Registry(registry), m_Windows(windows), m_Commands(commands), m_pOwner(pOwner)
{
}

FileDialogHook SetFileDialogHook(FileDialogHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

std::optional<QString> GetObjectFileName(QWidget* pOwner, FileDialogKind kind)
{
    if (Hook())
    {
        // Copy first: the hook may install another one.
        FileDialogHook hook = Hook();
        return hook(kind);
    }

    // A child of the owner; deleted here unless the owner has taken it along.
    QPointer<QFileDialog> pDialog = new QFileDialog(pOwner);
    pDialog->setOption(QFileDialog::DontUseNativeDialog, true);
    pDialog->setWindowModality(pOwner ? Qt::WindowModal : Qt::ApplicationModal);
    pDialog->setDefaultSuffix(QString());
    if (kind == FileDialogKind::Open)
    {
        pDialog->setWindowTitle(QStringLiteral("Open"));
        pDialog->setAcceptMode(QFileDialog::AcceptOpen);
        pDialog->setFileMode(QFileDialog::ExistingFile);
    }
    else
    {
        pDialog->setWindowTitle(QStringLiteral("Save As"));
        pDialog->setAcceptMode(QFileDialog::AcceptSave);
        pDialog->setFileMode(QFileDialog::AnyFile);
        pDialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    }

    const int nResult = pDialog->exec();
    std::optional<QString> path;
    if (pDialog)
    {
        const QStringList files = pDialog->selectedFiles();
        if (nResult == QDialog::Accepted && !files.isEmpty() && !files.first().isEmpty())
            path = files.first();
        delete pDialog.data();
    }
    return path;
}

void CFileCommands::Load()
{
    const std::optional<QString> chosen = GetObjectFileName(m_pOwner, FileDialogKind::Open);
    if (chosen)
        OpenFile(FileNameOnDisk(*chosen));
}

void CFileCommands::OpenFile(const QString& path, bool bNameFile)
{
    // Among several files, a refusal that does not name its file gets the
    // path on a line of its own below the text.
    auto refuse = [&path, bNameFile](const char* pText)
    {
        QString text = QString::fromUtf8(pText);
        if (bNameFile)
            text += QLatin1Char('\n') + path;
        AppMessageBox(text);
    };

    std::optional<CMatrix> values;
    {
        // The name's own bytes, whether UTF-8 or not.
        const std::string localPath = FileNameBytes(path);
        // Plain files only: a folder opens as a stream that reads as empty,
        // and opening a pipe waits until something writes to it.
        std::error_code error;
        std::ifstream in;
        if (std::filesystem::is_regular_file(localPath, error))
            in.open(localPath, std::ios::binary);
        if (!in.is_open())
        {
            refuse(MessageText::kFileNotOpened);
            return;
        }
        values = ReadObjectFile(in);
    }
    if (!values)
    {
        // The whole path, however long; a "%s" in it stays as it is.
        AppMessageBox(
            QString::fromUtf8(MessageText::kFileFormat).replace(QStringLiteral("%s"), path));
        return;
    }

    try
    {
        m_Windows.OpenFilled(*values, QString(), QString::fromUtf8(kLoadedTitleGap) + path);
    }
    catch (const char* pText)
    {
        refuse(pText);
    }
}

void CFileCommands::OpenFiles(const QStringList& paths)
{
    // Each refusal's box runs an event loop in which the dialog may end
    // (and this with it).
    const QPointer<QWidget> pOwner(m_pOwner);
    for (const QString& path : paths)
    {
        if (!pOwner || !pOwner->isVisible())
            return;
        OpenFile(path, paths.size() > 1);
    }
}

void CFileCommands::OpenDropped(const QStringList& paths)
{
    // Opened once the drop has ended: a refusal's box must not hold up the
    // program the files came from.
    QTimer::singleShot(0, m_pOwner, [this, paths] { OpenFiles(paths); });
}

void CFileCommands::Save()
{
    if (!m_Commands.HoldsOneSelected())
        return;

    const std::optional<QString> chosen = GetObjectFileName(m_pOwner, FileDialogKind::Save);
    if (!chosen)
    {
        m_Commands.ClearSelection();
        return;
    }
    // The object windows stayed usable while the dialog was open: the
    // selection is checked again, and the object selected now is saved.
    if (!m_Commands.HoldsOneSelected())
        return;

    // The file is written to a temporary beside it and put in place only
    // when all is written, so a failure never spoils what was there. Where
    // the folder takes no new file but the file itself may be written, it is
    // written in place; it is opened without being emptied, and emptied only
    // once the whole object has been read and formatted.
    const char* pFailure = nullptr;
    {
        QSaveFile atomic(*chosen);
        QFile inPlace(*chosen);
        QFileDevice* pFile = &atomic;
        if (!atomic.open(QIODevice::WriteOnly))
        {
            if (!inPlace.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly))
                throw static_cast<const char*>(MessageText::kOutputNotOpened);
            pFile = &inPlace;
        }
        try
        {
            const CMatrix m(m_Registry.SelectedList().at(0));
            const std::string text = FormatObjectFile(m);
            const auto nSize = static_cast<qint64>(text.size());
            if (pFile == &inPlace && !inPlace.resize(0))
                throw static_cast<const char*>(MessageText::kOutputNotWritten);
            // Flushed and checked before the commit: a short write while
            // flushing inside commit() can go unreported and would put a
            // truncated file in place.
            if (pFile->write(text.data(), nSize) != nSize || !pFile->flush() ||
                pFile->error() != QFileDevice::NoError || (pFile == &atomic && !atomic.commit()))
                throw static_cast<const char*>(MessageText::kOutputNotWritten);
        }
        catch (const char* pText)
        {
            pFailure = pText;
        }
        // An uncommitted temporary is removed here.
    }
    if (pFailure)
        AppMessageBox(pFailure);
    m_Commands.ClearSelection();
}
