// The signals that ask a program to end (SIGTERM, SIGINT, SIGHUP), turned
// into an ordinary call on the GUI thread.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

// While it exists, the first of those signals calls onEnd from the event
// loop instead of killing the program; a second one has its usual effect.
// Only one may exist at a time.
class CEndingSignals
{
public:
    explicit CEndingSignals(std::function<void()> onEnd);
    ~CEndingSignals();
    CEndingSignals(const CEndingSignals&) = delete;
    CEndingSignals& operator=(const CEndingSignals&) = delete;

private:
    std::function<void()> m_onEnd;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};
