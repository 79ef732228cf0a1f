#include "app/Hollastrin.h"

#include "app/HollastrinDlg.h"
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
    "\n"
    "Arguments:\n"
    "  file           An object file to open at the start, as File Load does.\n";

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
    parser.addOption(help);
    parser.addOption(version);
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
        for (const QString& file : parser.positionalArguments())
            result.files.append(AbsoluteFileName(file));
    }
    return result;
}

bool CHollastrinApp::InitInstance(const QStringList& files)
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
    if (!files.isEmpty())
        QTimer::singleShot(0, &dlg, [&dlg, files] { dlg.OpenObjectFiles(files); });
    loop.exec();
    return false;
}
