#include "engine/Progress.h"

thread_local IProgressSink* ProgressDetail::g_pInstalledSink = nullptr;

CProgressScope::CProgressScope(IProgressSink* pSink) noexcept
    : m_pPrevious(ProgressDetail::g_pInstalledSink)
{
    ProgressDetail::g_pInstalledSink = pSink;
}

CProgressScope::~CProgressScope()
{
    ProgressDetail::g_pInstalledSink = m_pPrevious;
}

void CSharedProgress::OnProgress(long long nDone, long long nTotal)
{
    m_nDone.store(nDone, std::memory_order_relaxed);
    m_nTotal.store(nTotal, std::memory_order_relaxed);
    if (StopRequested())
        throw CComputationCancelled();
}
