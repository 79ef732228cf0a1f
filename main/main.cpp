#include "app/Hollastrin.h"
#include "platform/DisplaySystem.h"
#include "platform/FileNames.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

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
    if (const std::optional<std::string> platform =
            ChooseDisplaySystem(std::getenv("DISPLAY"), std::getenv("QT_QPA_PLATFORM"), argc, argv))
        qputenv("QT_QPA_PLATFORM", platform->c_str());
    QApplication app(argc, argv);
    CHollastrinApp theApp;
    theApp.InitInstance(commandLine.files);
    return 0;
}
