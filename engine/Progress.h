// Progress of long engine operations.
//
// An operation that can run for a long time (the power's chain of products,
// the cofactors' minors) calls ReportProgress between its units of work. The
// call goes to the sink installed by the innermost live CProgressScope of
// the calling thread, or nowhere when there is none; without a sink it costs
// one load and one branch.
//
// The sink may throw (an interface cancels a computation that way); the
// exception leaves the operation unchanged, and every operation releases what
// it holds as it passes. Each thread has its own installed sink, so an
// operation can run on a worker thread while another thread watches it
// through a CSharedProgress.
#pragma once

#include <atomic>
#include <utility>

class IProgressSink
{
public:
    virtual ~IProgressSink() = default;
    // nDone units of nTotal are done (0 < nDone <= nTotal). An operation may
    // lower nTotal while it runs when it finds a shorter way to its result.
    virtual void OnProgress(long long nDone, long long nTotal) = 0;
};

namespace ProgressDetail
{
// The sink of the thread's innermost live scope; null when nobody listens.
extern thread_local IProgressSink* g_pInstalledSink;
} // namespace ProgressDetail

// Installs a sink (null: none) on the calling thread for the lifetime of the
// scope and puts back the previous one at its end, also when an exception
// leaves the scope. Scopes nest and must end in the reverse order of their
// start, on the thread that started them.
class CProgressScope
{
public:
    explicit CProgressScope(IProgressSink* pSink) noexcept;
    ~CProgressScope();
    CProgressScope(const CProgressScope&) = delete;
    CProgressScope& operator=(const CProgressScope&) = delete;

private:
    IProgressSink* m_pPrevious;
};

// Passes the progress to the calling thread's installed sink, if any. May
// throw whatever the sink throws.
inline void ReportProgress(long long nDone, long long nTotal)
{
    if (IProgressSink* const pSink = ProgressDetail::g_pInstalledSink)
    {
        pSink->OnProgress(nDone, nTotal);
    }
}

// Thrown from a progress report once the computation has been asked to stop.
class CComputationCancelled
{
};

// The progress of a computation on one thread, read and stopped from
// another. The computing thread installs it; any thread may read the last
// report and ask for a stop, which the next report answers by throwing
// CComputationCancelled.
class CSharedProgress : public IProgressSink
{
public:
    void OnProgress(long long nDone, long long nTotal) override;

    void RequestStop() noexcept { m_bStop.store(true, std::memory_order_release); }
    bool StopRequested() const noexcept { return m_bStop.load(std::memory_order_acquire); }
    // The last report, done and total (0, 0 before the first). The two are
    // read one after the other: a report may fall between them.
    std::pair<long long, long long> Last() const noexcept
    {
        return {m_nDone.load(std::memory_order_relaxed), m_nTotal.load(std::memory_order_relaxed)};
    }

private:
    std::atomic<long long> m_nDone{0};
    std::atomic<long long> m_nTotal{0};
    std::atomic<bool> m_bStop{false};
};
