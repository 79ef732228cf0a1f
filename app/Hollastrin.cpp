#include "app/Hollastrin.h"

#include "app/HollastrinDlg.h"
#include "app/SessionKeeper.h"
#include "platform/EndingSignals.h"
#include "platform/FileNames.h"
#include "platform/MessageBox.h"
#include "platform/Metrics.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

namespace
{
constexpr char kUsage[] =
    "Usage: quindle [options] [file...]\n"
    "A calculator for small matrices and vectors.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Show this help and end.\n"
    "  -v, --version  Show the version and end.\n"
    "  --new-session  Start without the objects kept from the last run; they stay\n"
    "                 kept, and the main window's menu can open them.\n"
    "\n"
    "Arguments:\n"
    "  file           An object file to open at the start, as File Load does.\n"
    "\n"
    "The open objects are kept in $XDG_STATE_HOME/quindle (by default\n"
    "~/.local/state/quindle) and come back at the next start.\n";

// The parser's complaint, but with unknown options as they were typed: the
// parser reports "--bogus" as 'bogus'.
QString OptionError(const QCommandLineParser& parser, const QStringList& arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty())
        return parser.errorText();
    QStringList typed;
    for (const QString& name : unknown)
    {
        const QString longForm = QStringLiteral("--") + name;
        const bool bLong = name.size() > 1 ||
                           std::any_of(arguments.cbegin(), arguments.cend(),
                                       [&longForm](const QString& argument) {
                                           return argument == longForm ||
                                                  argument.startsWith(longForm + QLatin1Char('='));
                                       });
        typed.append(QLatin1Char('\'') + (bLong ? longForm : QStringLiteral("-") + name) +
                     QLatin1Char('\''));
    }
    if (typed.size() == 1)
        return QStringLiteral("Unknown option ") + typed.first() + QLatin1Char('.');
    return QStringLiteral("Unknown options: ") + typed.join(QStringLiteral(", ")) +
           QLatin1Char('.');
}

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
    const QCommandLineOption newSession(QStringLiteral("new-session"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(newSession);
    parser.addPositionalArgument(QStringLiteral("file"), QString());

    CommandLine result;
    if (!parser.parse(QStringList{QStringLiteral("quindle")} + arguments))
    {
        result.nExitStatus = 2;
        result.bToStandardError = true;
        result.text = QStringLiteral("quindle: ") + OptionError(parser, arguments) +
                      QStringLiteral("\n") + QString::fromUtf8(kUsage);
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
        result.bNewSession = parser.isSet(newSession);
        for (const QString& file : parser.positionalArguments())
            result.files.append(AbsoluteFileName(file));
    }
    return result;
}

bool CHollastrinApp::InitInstance(const QStringList& files, bool bNewSession)
{
    QCoreApplication::setApplicationName(QString::fromUtf8(kAppCaption));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quindle.Quindle"));
    Metrics::ApplyApplicationLook();

    CHollastrinDlg dlg;
    CSessionKeeper keeper(dlg);
    // The dialog runs until it ends, but is not application-modal: object
    // windows and the help window must stay usable beside it.
    QEventLoop loop;
    QObject::connect(&dlg, &QDialog::finished, &loop, &QEventLoop::quit);
    const CEndingSignals endingSignals([&dlg] { dlg.done(QDialog::Rejected); });
    dlg.show();
    keeper.Start(bNewSession ? CSessionKeeper::EStart::New : CSessionKeeper::EStart::Restore);
    if (!files.isEmpty())
        QTimer::singleShot(0, &dlg, [&dlg, files] { dlg.OpenObjectFiles(files); });
    loop.exec();
    return false;
}
