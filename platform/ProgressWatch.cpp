#include "platform/ProgressWatch.h"

#include "platform/MessageBox.h"
#include "platform/WindowRules.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace
{
// The clock is read every so many reports: a report of the smallest
// products comes every few nanoseconds, and the slowest unit of work any
// operation reports (a minor of the largest square object) takes well under
// a millisecond.
constexpr int kCallsPerLook = 16;
// A computation that ends within this time is waited for without turning
// the event loop: well within one frame.
constexpr std::chrono::milliseconds kQuietWait{8};
// The bar follows the computation this often while the dialog is up.
constexpr int kBarIntervalMs = 30;

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

bool g_bComputing = false;

// What the two threads tell each other, under one mutex: the worker asks
// for the dialog and waits until it is up (or the computation is stopped);
// the worker's end. Every change the other thread must see also wakes it:
// the worker writes a byte to a pipe the user-interface thread watches.
class CHandOver
{
public:
    CHandOver()
    {
        if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
            throw std::system_error(errno, std::generic_category());
    }
    ~CHandOver()
    {
        ::close(m_wake[0]);
        ::close(m_wake[1]);
    }
    CHandOver(const CHandOver&) = delete;
    CHandOver& operator=(const CHandOver&) = delete;

    int WakeDescriptor() const { return m_wake[0]; }

    // Worker side.
    void AskForDialog(const CSharedProgress& progress)
    {
        std::unique_lock lock(m_mutex);
        m_bDialogWanted = true;
        Wake();
        m_cv.wait(lock, [&] { return m_bDialogUp || progress.StopRequested(); });
    }
    void Ended(std::exception_ptr error)
    {
        const std::lock_guard lock(m_mutex);
        m_error = std::move(error);
        m_bEnded = true;
        m_cv.notify_all();
        Wake();
    }

    // User-interface side.
    struct SState
    {
        bool bDialogWanted;
        bool bEnded;
    };
    SState Read()
    {
        const std::lock_guard lock(m_mutex);
        return {m_bDialogWanted && !m_bDialogUp, m_bEnded};
    }
    // Waits at most the given time for the end or for a wish for the
    // dialog.
    void WaitQuietly(std::chrono::milliseconds time)
    {
        std::unique_lock lock(m_mutex);
        m_cv.wait_for(lock, time, [&] { return m_bEnded || m_bDialogWanted; });
    }
    void DialogUp()
    {
        const std::lock_guard lock(m_mutex);
        m_bDialogUp = true;
        m_cv.notify_all();
    }
    // Wakes a worker waiting for the dialog after a stop request.
    void Stopped()
    {
        const std::lock_guard lock(m_mutex);
        m_cv.notify_all();
    }
    void DrainWakes() const
    {
        char buffer[64];
        while (::read(m_wake[0], buffer, sizeof buffer) > 0)
        {
        }
    }
    std::exception_ptr Error()
    {
        const std::lock_guard lock(m_mutex);
        return m_error;
    }

private:
    void Wake() const
    {
        const char byte = 1;
        // A full pipe already holds a wake.
        [[maybe_unused]] const auto nWritten = ::write(m_wake[1], &byte, 1);
    }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bDialogWanted = false;
    bool m_bDialogUp = false;
    bool m_bEnded = false;
    std::exception_ptr m_error;
    int m_wake[2] = {-1, -1};
};

// The worker's sink: the shared progress, and the wish for the dialog once
// the computation has run for the show delay.
class CWorkerProgress final : public CSharedProgress
{
public:
    CWorkerProgress(CHandOver& handOver, std::chrono::milliseconds delay)
        : m_HandOver(handOver), m_delay(delay)
    {
    }

    void OnProgress(long long nDone, long long nTotal) override
    {
        CSharedProgress::OnProgress(nDone, nTotal);
        if (m_bAsked || --m_nCallsUntilLook > 0)
            return;
        m_nCallsUntilLook = kCallsPerLook;
        if (std::chrono::steady_clock::now() - m_start < m_delay)
            return;
        m_bAsked = true;
        m_HandOver.AskForDialog(*this);
        // Cancelled while the dialog came.
        if (StopRequested())
            throw CComputationCancelled();
    }

private:
    CHandOver& m_HandOver;
    const std::chrono::milliseconds m_delay;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    // Calls left until the clock is read again; the first call reads it.
    int m_nCallsUntilLook = 1;
    bool m_bAsked = false;
};

// While a computation runs, the owner and its non-modal windows (More
// Operations) take no input, and the owner's keys that live in every window
// do nothing: as when a modal dialog blocks them. Boxes opened meanwhile
// stay usable.
class CInputHold final : public QObject
{
public:
    explicit CInputHold(QWidget* pOwner) : m_pOwner(pOwner)
    {
        if (m_pOwner)
            QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (!IsInput(pEvent))
            return false;
        if (pEvent->type() == QEvent::Close && !pEvent->spontaneous())
            return false;
        if (!IsHeld(pWatched))
            return false;
        pEvent->ignore();
        return true;
    }

private:
    static bool IsInput(const QEvent* pEvent)
    {
        switch (pEvent->type())
        {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }

    bool IsHeld(QObject* pObject) const
    {
        // A shortcut or an action is held with the widget it belongs to.
        while (pObject && !pObject->isWidgetType())
            pObject = pObject->parent();
        if (!pObject || !m_pOwner)
            return false;
        const QWidget* pWindow = static_cast<QWidget*>(pObject)->window();
        if (pWindow != m_pOwner && pWindow->isModal())
            return false;
        for (const QWidget* p = pWindow; p; p = p->parentWidget())
            if (p == m_pOwner)
                return true;
        return false;
    }

    QPointer<QWidget> m_pOwner;
};

// One computation, seen from the user-interface thread.
class CComputation
{
public:
    CComputation(QWidget* pOwner, QString strLabel)
        : m_pOwner(pOwner), m_bHadOwner(pOwner != nullptr),
          m_bOwnerWasVisible(pOwner && pOwner->isVisible()), m_strLabel(std::move(strLabel)),
          m_Progress(m_HandOver, Delay())
    {
        g_bComputing = true;
    }

    ~CComputation()
    {
        // The worker is gone before anything it uses.
        m_Progress.RequestStop();
        m_HandOver.Stopped();
        if (m_worker.joinable())
            m_worker.join();
        // The dialog belongs to the computation: it goes when the
        // computation ends, however it ends.
        delete m_pDialog.data();
        g_bComputing = false;
    }
    CComputation(const CComputation&) = delete;
    CComputation& operator=(const CComputation&) = delete;

    void Run(const std::function<void()>& work)
    {
        m_worker = std::thread(
            [this, &work]
            {
                std::exception_ptr error;
                try
                {
                    const CProgressScope scope(&m_Progress);
                    work();
                }
                catch (...)
                {
                    error = std::current_exception();
                }
                m_HandOver.Ended(std::move(error));
            });
        m_HandOver.WaitQuietly(kQuietWait);
        if (!m_HandOver.Read().bEnded)
            TurnEventsUntilEnd();
        m_worker.join();
        if (const std::exception_ptr error = m_HandOver.Error())
            std::rethrow_exception(error);
    }

private:
    void TurnEventsUntilEnd()
    {
        const CInputHold hold(m_pOwner.data());
        QEventLoop loop;
        QSocketNotifier wakes(m_HandOver.WakeDescriptor(), QSocketNotifier::Read);
        QObject::connect(&wakes, &QSocketNotifier::activated, &loop,
                         [&]
                         {
                             m_HandOver.DrainWakes();
                             OnWake(loop);
                         });
        QTimer bar;
        QObject::connect(&bar, &QTimer::timeout, &loop, [this] { FollowDialog(); });
        bar.start(kBarIntervalMs);
        OnWake(loop);
        // Also returns when the application quits: the computation is
        // then stopped like a cancelled one.
        if (!m_HandOver.Read().bEnded)
            loop.exec();
        if (!m_HandOver.Read().bEnded)
            Stop();
    }

    void OnWake(QEventLoop& loop)
    {
        if (m_bInWake)
            return;
        m_bInWake = true;
        if (m_HandOver.Read().bDialogWanted && !m_bShown)
            ShowDialog();
        // Read again: the computation may have ended while the dialog came.
        if (m_HandOver.Read().bEnded)
            loop.quit();
        m_bInWake = false;
    }

    void Stop()
    {
        m_Progress.RequestStop();
        m_HandOver.Stopped();
    }

    void ShowDialog();

    // Keeps the bar current; Cancel, the dialog's close box or Escape, or
    // the owner hidden or gone (the dialog with it) stop the computation.
    void FollowDialog()
    {
        // The owner closed (the program ending) before the dialog came.
        if (m_bOwnerWasVisible && (!m_pOwner || !m_pOwner->isVisible()))
        {
            Stop();
            return;
        }
        if (!m_bShown)
            return;
        if (!m_pDialog || m_pDialog->wasCanceled() || m_pDialog->isHidden())
        {
            Stop();
            return;
        }
        const auto [nDone, nTotal] = m_Progress.Last();
        int nValue = CProgressWatch::kBarMaximum;
        if (nTotal > 0 && nDone < nTotal)
            nValue = std::clamp(int(double(nDone) / double(nTotal) * CProgressWatch::kBarMaximum),
                                0, CProgressWatch::kBarMaximum);
        m_pDialog->setValue(nValue);
    }

    QPointer<QWidget> m_pOwner;
    const bool m_bHadOwner;
    const bool m_bOwnerWasVisible;
    const QString m_strLabel;
    CHandOver m_HandOver;
    CWorkerProgress m_Progress;
    std::thread m_worker;
    bool m_bShown = false;
    bool m_bInWake = false;
    QPointer<QProgressDialog> m_pDialog;
};

void CComputation::ShowDialog()
{
    m_bShown = true;
    if (m_bHadOwner && !m_pOwner)
    {
        // Nobody is left to take the result.
        Stop();
        return;
    }
    // A child of the owner, deleted at the end of the computation (or with
    // the owner, should that go first).
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
    // Cancel takes a click, Space or Escape; not Enter, which a screen
    // reader's where-am-I key on the keypad would send if it came too late.
    if (auto* pCancel = dialog.findChild<QPushButton*>())
        pCancel->setAutoDefault(false);
    dialog.setWindowModality(m_pOwner ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    // The dialog is shown here and nowhere else: its own timer that shows it
    // after a while is put off for good.
    dialog.setMinimumDuration(std::numeric_limits<int>::max());
    dialog.setRange(0, CProgressWatch::kBarMaximum);
    KeepFromMaximising(&dialog);
    dialog.setValue(0);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [this] { Stop(); });
    dialog.show();
    QCoreApplication::processEvents();

    if (Hook() && m_pDialog)
    {
        // Copy first: the hook may install another one.
        const CProgressWatch::ShowHook hook = Hook();
        hook(*m_pDialog);
        // What the hook set off is answered before the computation goes on.
        QCoreApplication::processEvents();
    }
    FollowDialog();
    m_HandOver.DialogUp();
}
} // namespace

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

bool IsComputing()
{
    return g_bComputing;
}

void RunWithProgress(QWidget* pOwner, const QString& strLabel, const std::function<void()>& work)
{
    if (g_bComputing)
        throw CComputationCancelled();
    CComputation computation(pOwner, strLabel);
    computation.Run(work);
}
