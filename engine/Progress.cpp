#include "engine/Progress.h"

IProgressSink* ProgressDetail::g_pInstalledSink = nullptr;

CProgressScope::CProgressScope(IProgressSink* pSink) noexcept
    : m_pPrevious(ProgressDetail::g_pInstalledSink)
{
    ProgressDetail::g_pInstalledSink = pSink;
}

CProgressScope::~CProgressScope()
{
    ProgressDetail::g_pInstalledSink = m_pPrevious;
}
