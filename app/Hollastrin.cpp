#include "Hollastrin.h"

#include "HollastrinDlg.h"
#include "MessageBox.h"
#include "Metrics.h"
#include "WindowRules.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QTimer>

#include <cstdlib>

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

// F1 anywhere in the window opens the help (or brings it forward).
void AddHelpKey(QWidget* pWindow)
{
    auto* pShortcut = new QShortcut(QKeySequence(Qt::Key_F1), pWindow); // child of the window
    pShortcut->setContext(Qt::WindowShortcut);
    QObject::connect(pShortcut, &QShortcut::activated, pWindow, [] { CHollastrinApp::OnHelp(); });
}

constexpr char kUsage[] =
    "Usage: quindle [options] [file...]\n"
    "A calculator for small matrices and vectors.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Show this help and end.\n"
    "  -v, --version  Show the version and end.\n"
    "\n"
    "Arguments:\n"
    "  file           An object file to open at the start, as File Load does.\n";

bool IsSet(const char* pValue)
{
    return pValue != nullptr && *pValue != '\0';
}
} // namespace

bool HasGraphicalSession(const char* pDisplay, const char* pWaylandDisplay, const char* pPlatform)
{
    return IsSet(pDisplay) || IsSet(pWaylandDisplay) || IsSet(pPlatform);
}

bool HasGraphicalSession()
{
    return HasGraphicalSession(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                               std::getenv("QT_QPA_PLATFORM"));
}

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("file"), QString());

    CommandLine result;
    if (!parser.parse(QStringList{QStringLiteral("quindle")} + arguments))
    {
        result.nExitStatus = 2;
        result.bToStandardError = true;
        result.text = QStringLiteral("quindle: ") + parser.errorText() + QStringLiteral("\n") +
                      QString::fromUtf8(kUsage);
    }
    else if (parser.isSet(help))
    {
        result.nExitStatus = 0;
        result.text = QString::fromUtf8(kUsage);
    }
    else if (parser.isSet(version))
    {
        result.nExitStatus = 0;
        result.text = QStringLiteral("Quindle " QUINDLE_VERSION "\n");
    }
    else
    {
        for (const QString& file : parser.positionalArguments())
            result.files.append(QFileInfo(file).absoluteFilePath());
    }
    return result;
}

bool CHollastrinApp::InitInstance(const QStringList& files)
{
    QCoreApplication::setApplicationName(QString::fromUtf8(kAppCaption));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quindle.Quindle"));
    Metrics::ApplyApplicationLook();

    CHollastrinDlg dlg;
    SetUpDialogKeyboard(dlg);
    // The dialog runs until it ends, but is not application-modal: object
    // windows and the help window must stay usable beside it.
    QEventLoop loop;
    QObject::connect(&dlg, &QDialog::finished, &loop, &QEventLoop::quit);
    dlg.show();
    if (!files.isEmpty())
        QTimer::singleShot(0, &dlg, [&dlg, files] { dlg.OpenObjectFiles(files); });
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
        AddHelpKey(pBrowser); // harmless there: brings the window forward
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

void CHollastrinApp::SetUpDialogKeyboard(CHollastrinDlg& dlg)
{
    AddHelpKey(&dlg);
    // Buttons, labels and group boxes are named by their captions; the two
    // size lists and the object list have none of their own.
    const struct
    {
        int nID;
        const char* pName;
    } names[] = {
        {IDC_ROWS, "Select Rows"},
        {IDC_COLS, "Select Columns"},
        {IDC_OBJECT_LIST, "Open objects"},
    };
    for (const auto& name : names)
    {
        if (QWidget* pControl = dlg.GetDlgItem(name.nID))
            pControl->setAccessibleName(QString::fromUtf8(name.pName));
    }
    // The size lists are labelled by the captions above them: the relation
    // that screen readers on Linux announce a drop-down list with.
    const struct
    {
        int nLabelID;
        int nListID;
    } buddies[] = {
        {IDC_SELECT_ROWS_LABEL, IDC_ROWS},
        {IDC_SELECT_COLUMNS_LABEL, IDC_COLS},
    };
    for (const auto& buddy : buddies)
    {
        if (auto* pLabel = qobject_cast<QLabel*>(dlg.GetDlgItem(buddy.nLabelID)))
            pLabel->setBuddy(dlg.GetDlgItem(buddy.nListID));
    }
}

CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About Quindle"));
    KeepFromMinimising(this);
    KeepFromMaximising(this);
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
    AddHelpKey(this);
}
