// Long computations on a worker thread, with a way out.
//
// A command hands its computation to ComputeWithProgress, which runs it on a
// thread of its own while the user-interface thread goes on turning its
// event loop: every window repaints, answers screen readers and (the object
// windows) takes input. The owner (the main dialog) and its non-modal
// windows take no input meanwhile, as a modal dialog would have it, and
// IsComputing() tells the command runner to refuse another command: one
// computation at a time.
//
// When a computation that reports its progress (engine/Progress.h) has run
// for the show delay, a progress dialog appears, window-modal to its owner:
// the name of what is computed, a bar and "Cancel". Cancel (or closing the
// dialog, or the dialog going with its owner) asks the computation to stop;
// its next report throws CComputationCancelled, which comes out of
// ComputeWithProgress on the user-interface thread. A computation that ends
// within a few milliseconds never turns the event loop at all.
#pragma once

#include "engine/Progress.h"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

class QProgressDialog;
class QWidget;

class CProgressWatch
{
public:
    // How long a computation runs before the dialog appears: the program's
    // delay unless a test sets another. SetShowDelay returns the previous.
    static constexpr std::chrono::milliseconds kDefaultShowDelay{500};
    static std::chrono::milliseconds SetShowDelay(std::chrono::milliseconds delay);
    static std::chrono::milliseconds ShowDelay();

    // Test seam: called once per dialog on the user-interface thread, right
    // after it has been shown and painted; the computation waits for it to
    // return. Returns the previous hook.
    using ShowHook = std::function<void(QProgressDialog&)>;
    static ShowHook SetShowHook(ShowHook hook);

    // The bar's range: progress is mapped to 0..kBarMaximum.
    static constexpr int kBarMaximum = 1000;
};

// True while a computation runs (from the start of ComputeWithProgress to
// its end, the dialog up or not).
bool IsComputing();

// Runs work() on a worker thread with a CSharedProgress installed, and
// returns when it has ended, rethrowing what it threw. The dialog, when one
// appears, is a child of pOwner (parentless and application-modal without
// one), shows strLabel, and is gone when this returns. Throws
// CComputationCancelled when cancelled, or when a computation is already
// running.
void RunWithProgress(QWidget* pOwner, const QString& strLabel, const std::function<void()>& work);

// RunWithProgress for a computation with a result.
template <class Compute>
auto ComputeWithProgress(QWidget* pOwner, const QString& strLabel, Compute&& compute)
    -> decltype(std::forward<Compute>(compute)())
{
    std::optional<decltype(std::forward<Compute>(compute)())> result;
    RunWithProgress(pOwner, strLabel, [&] { result.emplace(std::forward<Compute>(compute)()); });
    return std::move(*result);
}
