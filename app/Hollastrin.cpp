#include "Hollastrin.h"

#include "HollastrinDlg.h"
#include "MessageBox.h"
#include "Metrics.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>

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

bool CHollastrinApp::InitInstance()
{
    QCoreApplication::setApplicationName(QString::fromUtf8(kAppCaption));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quindle.Quindle"));
    Metrics::ApplyApplicationLook();

    CHollastrinDlg dlg;
    // The dialog runs until it ends, but is not application-modal: object
    // windows and the help window must stay usable beside it.
    QEventLoop loop;
    QObject::connect(&dlg, &QDialog::finished, &loop, &QEventLoop::quit);
    dlg.show();
    loop.exec();
    return false;
}

void CHollastrinApp::OnHelp()
{
    QPointer<QTextBrowser>& pBrowser = HelpBrowser();
    if (!pBrowser)
    {
        pBrowser = new QTextBrowser; // parentless; deletes itself when closed
        pBrowser->setAttribute(Qt::WA_DeleteOnClose);
        pBrowser->setWindowTitle(QString::fromUtf8(kHelpTitle));
        pBrowser->setOpenExternalLinks(false);
        pBrowser->resize(560, 640);
        if (QFile::exists(QString::fromUtf8(kHelpPage)))
            pBrowser->setSource(QUrl(QStringLiteral("qrc") + QString::fromUtf8(kHelpPage)));
        else
            pBrowser->setHtml(QString::fromUtf8(kHelpMissing));
    }
    pBrowser->show();
    pBrowser->raise();
    pBrowser->activateWindow();
}

void CHollastrinApp::CloseHelp()
{
    // Deleted at once: the program may be about to end its last event loop.
    delete HelpBrowser().data();
}

QWidget* CHollastrinApp::HelpWindow()
{
    return HelpBrowser().data();
}

CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About Quindle"));
    setFixedSize(Metrics::DluToPixelsX(217), Metrics::DluToPixelsY(55));

    auto* pIcon = new QLabel(this);
    pIcon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    pIcon->setGeometry(QRect(Metrics::DluRect(11, 15, 20, 20).topLeft(), QSize(32, 32)));

    auto* pVersion = new QLabel(QString::fromUtf8(kAboutVersion), this);
    pVersion->setTextFormat(Qt::PlainText);
    pVersion->setGeometry(Metrics::DluRect(40, 13, 119, 8));

    auto* pDescription = new QLabel(QString::fromUtf8(kAboutDescription), this);
    pDescription->setTextFormat(Qt::PlainText);
    pDescription->setWordWrap(true);
    pDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pDescription->setGeometry(Metrics::DluRect(40, 21, 63, 21));

    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    pOk->setDefault(true);
    pOk->setGeometry(Metrics::DluRect(178, 7, 32, 14));
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
    pOk->setFocus();
}
