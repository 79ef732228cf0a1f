#include "platform/ProgressWatch.h"

#include "platform/MessageBox.h"
#include "platform/WindowRules.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QProgressDialog>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace
{
// The clock is read every so many reports: a report of the smallest
// products comes every few nanoseconds, and the slowest unit of work any
// operation reports (a minor of the largest square object) takes well under
// a millisecond, so the dialog still answers within a few milliseconds.
constexpr int kCallsPerLook = 16;
// Pending events are processed this often while the dialog is up.
constexpr qint64 kEventIntervalMs = 15;

std::chrono::milliseconds& Delay()
{
    static std::chrono::milliseconds s_delay = CProgressWatch::kDefaultShowDelay;
    return s_delay;
}

CProgressWatch::ShowHook& Hook()
{
    static CProgressWatch::ShowHook s_hook;
    return s_hook;
}
} // namespace

CProgressWatch::CProgressWatch(QWidget* pOwner, QString strLabel)
    : m_pOwner(pOwner), m_bHadOwner(pOwner != nullptr), m_strLabel(std::move(strLabel))
{
    m_clock.start();
}

CProgressWatch::~CProgressWatch()
{
    // The dialog belongs to the computation: it goes when the computation
    // ends, however it ends.
    delete m_pDialog.data();
}

std::chrono::milliseconds CProgressWatch::SetShowDelay(std::chrono::milliseconds delay)
{
    return std::exchange(Delay(), delay);
}

std::chrono::milliseconds CProgressWatch::ShowDelay()
{
    return Delay();
}

CProgressWatch::ShowHook CProgressWatch::SetShowHook(ShowHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

void CProgressWatch::OnProgress(long long nDone, long long nTotal)
{
    if (--m_nCallsUntilLook > 0)
        return;
    m_nCallsUntilLook = kCallsPerLook;

    const qint64 nNow = m_clock.elapsed();
    if (!m_bShown)
    {
        if (nNow < Delay().count())
            return;
        ShowDialog();
    }
    else if (nNow - m_nLastEventsAt < kEventIntervalMs)
    {
        return;
    }

    if (m_pDialog)
    {
        Update(nDone, nTotal);
        QCoreApplication::processEvents();
    }
    m_nLastEventsAt = m_clock.elapsed();
    // Cancel, the dialog's close box or Escape; or the dialog went with its
    // owner, and nobody is left to take the result.
    if (!m_pDialog || m_pDialog->wasCanceled() || m_pDialog->isHidden())
        throw CComputationCancelled();
}

void CProgressWatch::ShowDialog()
{
    m_bShown = true;
    if (m_bHadOwner && !m_pOwner)
        return;

    // A child of the owner, deleted by this watch at the end of the
    // computation (or with the owner, should that go first).
    m_pDialog = new QProgressDialog(m_pOwner.data());
    QProgressDialog& dialog = *m_pDialog;
    dialog.setObjectName(QStringLiteral("ComputationProgress"));
    dialog.setWindowTitle(QString::fromUtf8(kAppCaption));
    dialog.setLabelText(m_strLabel);
    // Screen readers announce the dialog by its name: what is computed.
    dialog.setAccessibleName(QStringLiteral("Computing ") + m_strLabel);
    if (auto* pBar = dialog.findChild<QProgressBar*>())
        pBar->setAccessibleName(QStringLiteral("Progress of ") + m_strLabel);
    dialog.setCancelButtonText(QStringLiteral("Cancel"));
    dialog.setWindowModality(m_pOwner ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    // The dialog is shown here and nowhere else: its own timer that shows it
    // after a while is put off for good.
    dialog.setMinimumDuration(std::numeric_limits<int>::max());
    dialog.setRange(0, kBarMaximum);
    KeepFromMaximising(&dialog);
    dialog.setValue(0);
    dialog.show();
    QCoreApplication::processEvents();

    if (Hook() && m_pDialog)
    {
        // Copy first: the hook may install another one.
        const ShowHook hook = Hook();
        hook(*m_pDialog);
    }
}

void CProgressWatch::Update(long long nDone, long long nTotal)
{
    int nValue = kBarMaximum;
    if (nTotal > 0 && nDone < nTotal)
        nValue = std::clamp(int(double(nDone) / double(nTotal) * kBarMaximum), 0, kBarMaximum);
    m_pDialog->setValue(nValue);
}
