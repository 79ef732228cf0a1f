// Long computations on the user-interface thread, with a way out.
//
// A command computes in the one thread of the program. When a computation
// that reports its progress (engine/Progress.h) has run for the show delay,
// a progress dialog appears, window-modal to its owner (the main dialog): the
// name of what is computed, a bar and "Cancel". From then on, every few
// milliseconds between two units of work, the pending events are processed,
// so the object windows stay usable and the dialog answers. Cancel (or
// closing the dialog) makes the next report throw CComputationCancelled,
// which unwinds the computation; the command catches it and ends without a
// result and without a message.
//
// Before the dialog is up no event is processed at all: nothing can slip in
// between the start of a command and the moment the main dialog is blocked.
#pragma once

#include "engine/Progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>
#include <utility>

class QProgressDialog;
class QWidget;

// Thrown from the progress report when the user cancels the computation.
class CComputationCancelled
{
};

class CProgressWatch final : public IProgressSink
{
public:
    // The watch starts its clock here; the dialog, when it comes, is a child
    // of pOwner (parentless and application-modal without one) and shows
    // strLabel.
    CProgressWatch(QWidget* pOwner, QString strLabel);
    ~CProgressWatch() override;
    CProgressWatch(const CProgressWatch&) = delete;
    CProgressWatch& operator=(const CProgressWatch&) = delete;

    // Shows the dialog when it is time, keeps it current, processes events;
    // throws CComputationCancelled once the user has cancelled.
    void OnProgress(long long nDone, long long nTotal) override;

    // How long a computation runs before the dialog appears: the program's
    // delay unless a test sets another. SetShowDelay returns the previous.
    static constexpr std::chrono::milliseconds kDefaultShowDelay{500};
    static std::chrono::milliseconds SetShowDelay(std::chrono::milliseconds delay);
    static std::chrono::milliseconds ShowDelay();

    // Test seam: called once per dialog, right after it has been shown and
    // painted, before the computation goes on. Returns the previous hook.
    using ShowHook = std::function<void(QProgressDialog&)>;
    static ShowHook SetShowHook(ShowHook hook);

    // The bar's range: progress is mapped to 0..kBarMaximum.
    static constexpr int kBarMaximum = 1000;

private:
    void ShowDialog();
    void Update(long long nDone, long long nTotal);

    QPointer<QWidget> m_pOwner;
    const bool m_bHadOwner;
    QString m_strLabel;
    QElapsedTimer m_clock;
    // Calls left until the clock is read again; the first call reads it.
    int m_nCallsUntilLook = 1;
    // Clock reading (ms) of the last event processing.
    qint64 m_nLastEventsAt = 0;
    bool m_bShown = false;
    QPointer<QProgressDialog> m_pDialog;
};

// Runs compute() with a progress watch installed and returns its result. The
// dialog, if one appeared, is gone when this returns or throws; the watch is
// installed only while compute() runs.
template <class Compute>
auto ComputeWithProgress(QWidget* pOwner, const QString& strLabel, Compute&& compute)
    -> decltype(std::forward<Compute>(compute)())
{
    CProgressWatch watch(pOwner, strLabel);
    const CProgressScope scope(&watch);
    return std::forward<Compute>(compute)();
}
