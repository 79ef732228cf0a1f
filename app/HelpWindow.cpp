#include "app/HelpWindow.h"

#include <QFile>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

namespace
{
constexpr char kHelpPage[] = ":/help/help.html";
constexpr char kHelpTitle[] = "Quindle Help";
constexpr char kHelpMissing[] = "<p>The help page is not available.</p>";

QPointer<QTextBrowser>& HelpBrowser()
{
    static QPointer<QTextBrowser> s_pBrowser;
    return s_pBrowser;
}
} // namespace

void AddHelpKey(QWidget* pWindow)
{
    auto* pShortcut = new QShortcut(QKeySequence(Qt::Key_F1), pWindow); // child of the window
    pShortcut->setContext(Qt::WindowShortcut);
    QObject::connect(pShortcut, &QShortcut::activated, pWindow, [] { ShowHelp(); });
}

void ShowHelp()
{
    QPointer<QTextBrowser>& pBrowser = HelpBrowser();
    if (!pBrowser)
    {
        pBrowser = new QTextBrowser; // parentless; deletes itself when closed
        pBrowser->setAttribute(Qt::WA_DeleteOnClose);
        pBrowser->setWindowTitle(QString::fromUtf8(kHelpTitle));
        pBrowser->setOpenExternalLinks(false);
        pBrowser->resize(560, 640);
        AddHelpKey(pBrowser); // harmless there: brings the window forward
        auto* pEscape = new QShortcut(QKeySequence(Qt::Key_Escape), pBrowser); // its child
        pEscape->setContext(Qt::WindowShortcut);
        QObject::connect(pEscape, &QShortcut::activated, pBrowser, &QWidget::close);
        if (QFile::exists(QString::fromUtf8(kHelpPage)))
            pBrowser->setSource(QUrl(QStringLiteral("qrc") + QString::fromUtf8(kHelpPage)));
        else
            pBrowser->setHtml(QString::fromUtf8(kHelpMissing));
    }
    pBrowser->show();
    pBrowser->raise();
    pBrowser->activateWindow();
}

void CloseHelp()
{
    // Deleted at once: the program may be about to end its last event loop.
    delete HelpBrowser().data();
}

QWidget* HelpWindow()
{
    return HelpBrowser().data();
}
