#include "platform/EndingSignals.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
constexpr std::array kSignals = {SIGTERM, SIGINT, SIGHUP};
// The pair's write end is written by the handler, the read end watched by
// the event loop.
int g_fds[2] = {-1, -1};
struct sigaction g_previous[kSignals.size()];

extern "C" void OnEndingSignal(int nSignal)
{
    const char c = static_cast<char>(nSignal);
    // Nothing but write(2) is safe here; a full pipe already says enough.
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &c, 1);
}
} // namespace

CEndingSignals::CEndingSignals(std::function<void()> onEnd) : m_onEnd(std::move(onEnd))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0)
        return;
    m_pNotifier = std::make_unique<QSocketNotifier>(g_fds[1], QSocketNotifier::Read);
    QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, m_pNotifier.get(),
                     [this]
                     {
                         char buffer[16];
                         while (::read(g_fds[1], buffer, sizeof buffer) > 0)
                         {
                         }
                         // A second signal ends the program the signal's
                         // own way.
                         m_pNotifier->setEnabled(false);
                         for (std::size_t k = 0; k < kSignals.size(); ++k)
                             ::sigaction(kSignals[k], &g_previous[k], nullptr);
                         if (m_onEnd)
                             m_onEnd();
                     });
    struct sigaction action = {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t k = 0; k < kSignals.size(); ++k)
        ::sigaction(kSignals[k], &action, &g_previous[k]);
}

CEndingSignals::~CEndingSignals()
{
    if (!m_pNotifier)
        return;
    for (std::size_t k = 0; k < kSignals.size(); ++k)
        ::sigaction(kSignals[k], &g_previous[k], nullptr);
    m_pNotifier.reset();
    ::close(g_fds[0]);
    ::close(g_fds[1]);
    g_fds[0] = g_fds[1] = -1;
}
