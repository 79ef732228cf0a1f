// "File Load" and "File Save", and their file dialogs.
#include "HollastrinDlg.h"

#include "EntryControlView.h"
#include "FileDialog.h"
#include "Matrix.h"
#include "MessageBox.h"
#include "ObjectFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileDialog>
#include <QPointer>
#include <QSaveFile>
#include <QStringList>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>

namespace
{
// Writing the file or putting it in place failed after it was opened.
constexpr char kOutputNotWritten[] = "The output file could not be written.";
// Put between the object number and the file's path in a loaded object's
// title.
constexpr char kLoadedTitleGap[] = "  ";

FileDialogHook& Hook()
{
    static FileDialogHook s_hook;
    return s_hook;
}

// The format message names the file, and it is raised like the fixed texts,
// so its text has to outlive the raise. Only one load runs at a time: the
// main dialog is blocked while its message box is open.
const char* FormatErrorText(const QString& path)
{
    static QByteArray s_text;
    QString text = QString::fromUtf8(MessageText::kFileFormat);
    text.replace(QStringLiteral("%s"), path);
    s_text = text.toUtf8();
    return s_text.constData();
}

} // namespace

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

void CHollastrinDlg::OnFileLoad()
{
    try
    {
        LoadObjectFile();
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
    }
}

void CHollastrinDlg::OnFileSave()
{
    try
    {
        SaveObjectFile();
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
    }
}

void CHollastrinDlg::LoadObjectFile()
{
    const std::optional<QString> chosen = GetObjectFileName(this, FileDialogKind::Open);
    if (!chosen)
        return;
    const QString& path = *chosen;

    std::optional<CMatrix> values;
    {
        // The path in the system's encoding, so that any name the dialog
        // offers can be opened.
        const std::string localPath = QFile::encodeName(path).toStdString();
        // Plain files only: a folder opens as a stream that reads as empty,
        // and opening a pipe waits until something writes to it.
        std::error_code error;
        if (!std::filesystem::is_regular_file(localPath, error))
            throw static_cast<const char*>(MessageText::kFileNotOpened);
        std::ifstream in(localPath, std::ios::binary);
        if (!in.is_open())
            throw static_cast<const char*>(MessageText::kFileNotOpened);
        values = ReadObjectFile(in);
    }
    if (!values)
        throw FormatErrorText(path);

    try
    {
        CreateLoadedObject(*values, QString::fromUtf8(kLoadedTitleGap) + path);
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
    }
}

void CHollastrinDlg::SaveObjectFile()
{
    if (!HoldsOneSelected())
        return;

    const std::optional<QString> chosen = GetObjectFileName(this, FileDialogKind::Save);
    if (!chosen)
    {
        DeselectOne();
        return;
    }
    // The object windows stayed usable while the dialog was open: the
    // selection is checked again, and the object selected now is saved.
    if (!HoldsOneSelected())
        return;

    // The file is written to a temporary beside it and put in place only
    // when all is written, so a failure never spoils what was there.
    const char* pFailure = nullptr;
    {
        QSaveFile file(*chosen);
        if (!file.open(QIODevice::WriteOnly))
            throw static_cast<const char*>(MessageText::kOutputNotOpened);
        try
        {
            const CMatrix m(m_SelectedList.at(0));
            const std::string text = FormatObjectFile(m);
            const auto nSize = static_cast<qint64>(text.size());
            // Flushed and checked before the commit: a short write while
            // flushing inside commit() can go unreported and would put a
            // truncated file in place.
            if (file.write(text.data(), nSize) != nSize || !file.flush() ||
                file.error() != QFileDevice::NoError || !file.commit())
                throw static_cast<const char*>(kOutputNotWritten);
        }
        catch (const char* pText)
        {
            pFailure = pText;
        }
        // An uncommitted temporary is removed here.
    }
    if (pFailure)
        AppMessageBox(pFailure);
    DeselectOne();
}
