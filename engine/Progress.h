// Progress of long engine operations.
//
// An operation that can run for a long time (the power's chain of products,
// the cofactors' minors) calls ReportProgress between its units of work. The
// call goes to the sink installed by the innermost live CProgressScope, or
// nowhere when there is none; without a sink it costs one load and one
// branch.
//
// The sink may throw (an interface cancels a computation that way); the
// exception leaves the operation unchanged, and every operation releases what
// it holds as it passes. The engine runs on one thread, so there is one
// installed sink for the whole program.
#pragma once

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
// The sink of the innermost live scope; null when nobody listens.
extern IProgressSink* g_pInstalledSink;
} // namespace ProgressDetail

// Installs a sink (null: none) for the lifetime of the scope and puts back
// the previous one at its end, also when an exception leaves the scope.
// Scopes nest and must end in the reverse order of their start.
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

// Passes the progress to the installed sink, if any. May throw whatever the
// sink throws.
inline void ReportProgress(long long nDone, long long nTotal)
{
    if (IProgressSink* const pSink = ProgressDetail::g_pInstalledSink)
    {
        pSink->OnProgress(nDone, nTotal);
    }
}
