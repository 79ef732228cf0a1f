#include "app/Hollastrin.h"
#include "platform/DisplaySystem.h"
#include "platform/FileNames.h"

#include <QApplication>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace
{
// While the toolkit starts on "xcb;wayland": its complaints that the X display
// does not answer, held back. Where Wayland then works, they are dropped (the
// program runs as it should); where nothing works, they come before the
// toolkit's last word.
QtMessageHandler g_previousHandler = nullptr;
QStringList g_heldBack;

void HoldBackX11Failure(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const QLatin1String category(context.category ? context.category : "");
    if ((type == QtWarningMsg || type == QtInfoMsg) &&
        (category == QLatin1String("qt.qpa.xcb") || category == QLatin1String("qt.qpa.plugin")))
    {
        g_heldBack.append(qFormatLogMessage(type, context, text));
        return;
    }
    if (type == QtFatalMsg)
    {
        for (const QString& line : std::as_const(g_heldBack))
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        g_heldBack.clear();
    }
    g_previousHandler(type, context, text);
}
} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int k = 1; k < argc; ++k)
    {
        // The toolkit's platform option and its value are the toolkit's.
        if (IsPlatformOption(argv[k]))
            ++k;
        else
            arguments.append(FileNameFromBytes(argv[k]));
    }
    const CommandLine commandLine = ParseCommandLine(arguments);
    if (commandLine.nExitStatus)
    {
        std::fputs(commandLine.text.toLocal8Bit().constData(),
                   commandLine.bToStandardError ? stderr : stdout);
        return *commandLine.nExitStatus;
    }

    // Without a window system the toolkit would only fail with an error of
    // its own; say what the program is and how to see it instead.
    if (!HasGraphicalSession())
    {
        std::fprintf(stderr, "%s\n", kNoDisplayMessage);
        return 1;
    }
    const std::optional<std::string> platform =
        ChooseDisplaySystem(std::getenv("DISPLAY"), std::getenv("QT_QPA_PLATFORM"), argc, argv);
    if (platform)
    {
        qputenv("QT_QPA_PLATFORM", platform->c_str());
        g_previousHandler = qInstallMessageHandler(HoldBackX11Failure);
    }
    QApplication app(argc, argv);
    if (platform)
    {
        qInstallMessageHandler(g_previousHandler);
        g_heldBack.clear();
    }
    CHollastrinApp theApp;
    theApp.InitInstance(commandLine.files, commandLine.bNewSession);
    return 0;
}
