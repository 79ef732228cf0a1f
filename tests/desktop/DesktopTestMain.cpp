// Runs the window-manager tests on a display of their own: starts Xvfb on a
// free display number, starts the window manager named on the command line
// (openbox or metacity), waits until it manages windows, runs the suite and
// stops both again. Exits with 77 (skipped) when either is not installed.
#include "Metrics.h"

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr int kSkipped = 77;

// A child process that is stopped when this goes out of scope.
class CChild
{
public:
    CChild() = default;
    CChild(const CChild&) = delete;
    CChild& operator=(const CChild&) = delete;
    ~CChild() { Stop(); }

    // Starts argv[0] with the given arguments, output discarded; keepFd
    // stays open in the child.
    bool Start(const std::string& program, std::initializer_list<std::string> args, int keepFd = -1)
    {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        m_pid = fork();
        if (m_pid == 0)
        {
            const int devNull = open("/dev/null", O_RDWR);
            dup2(devNull, STDIN_FILENO);
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
            for (int fd = 3; fd < 1024; ++fd)
                if (fd != keepFd)
                    close(fd);
            std::vector<char*> cargv;
            for (std::string& arg : argv)
                cargv.push_back(arg.data());
            cargv.push_back(nullptr);
            execvp(cargv[0], cargv.data());
            _exit(127);
        }
        return m_pid > 0;
    }

    void Stop()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
};

// Reads the display number Xvfb writes once it is ready.
int ReadDisplayNumber(int fd)
{
    std::string text;
    pollfd pfd{fd, POLLIN, 0};
    while (text.find('\n') == std::string::npos && poll(&pfd, 1, 20000) > 0)
    {
        char buffer[32];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, std::size_t(n));
    }
    return text.empty() ? -1 : std::atoi(text.c_str());
}

// True once a window manager has announced itself on the root window.
bool WaitForWindowManager()
{
    for (int k = 0; k < 200; ++k)
    {
        if (FILE* pPipe = popen("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null", "r"))
        {
            char line[256] = {};
            const bool bFound = std::fgets(line, sizeof line, pPipe) &&
                                std::string(line).find("window id") != std::string::npos;
            pclose(pPipe);
            if (bFound)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const std::string wm = argc > 1 ? argv[1] : "openbox";
    for (const char* pTool : {"Xvfb", "xprop", "xdotool", "xwininfo"})
    {
        if (QStandardPaths::findExecutable(QString::fromUtf8(pTool)).isEmpty())
        {
            std::printf("%s is not installed: window-manager tests skipped\n", pTool);
            return kSkipped;
        }
    }
    if (QStandardPaths::findExecutable(QString::fromStdString(wm)).isEmpty())
    {
        std::printf("%s is not installed: window-manager tests skipped\n", wm.c_str());
        return kSkipped;
    }

    int fds[2];
    if (pipe(fds) != 0)
        return 1;
    CChild xvfb;
    xvfb.Start(
        "Xvfb",
        {"-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x800x24", "-nolisten", "tcp"},
        fds[1]);
    close(fds[1]);
    const int nDisplay = ReadDisplayNumber(fds[0]);
    close(fds[0]);
    if (nDisplay < 0)
    {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    const std::string display = ":" + std::to_string(nDisplay);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");

    CChild windowManager;
    windowManager.Start(wm, {});
    if (!WaitForWindowManager())
    {
        std::fprintf(stderr, "%s did not start on %s\n", wm.c_str(), display.c_str());
        return 1;
    }
    std::printf("%s on display %s\n", wm.c_str(), display.c_str());

    int nResult = 0;
    {
        QApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Quindle"));
        Metrics::ApplyApplicationLook();
        app.setProperty("quindleWindowManager", QString::fromStdString(wm));
        nResult = RUN_ALL_TESTS();
    }
    return nResult;
}
