#include "platform/WindowRules.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QSize>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace
{
constexpr Qt::WindowStates kNotNormal =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

// Watches one window and undoes any minimising of it.
class CRestoreWhenMinimised : public QObject
{
public:
    explicit CRestoreWhenMinimised(QWidget* pWindow) : QObject(pWindow) {}

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::WindowStateChange)
        {
            auto* pWindow = static_cast<QWidget*>(pWatched);
            if (pWindow->isMinimized())
            {
                // After the window manager has finished minimising.
                QTimer::singleShot(0, pWindow,
                                   [pWindow]
                                   {
                                       if (pWindow->isMinimized())
                                           pWindow->showNormal();
                                   });
            }
        }
        return false;
    }
};

// Puts a window's size back once the window manager has settled on another
// one in the normal state. The window manager's answers come as a burst of
// resizes and state changes (a maximised size may come before the state that
// explains it), so the size is looked at only when the burst is over.
class CSizeKeeper : public QObject
{
public:
    explicit CSizeKeeper(QWidget* pWindow) : QObject(pWindow), m_pWindow(pWindow)
    {
        m_settled.setSingleShot(true);
        m_settled.setInterval(kSettleMs);
        connect(&m_settled, &QTimer::timeout, this, &CSizeKeeper::PutSizeBack);
        pWindow->installEventFilter(this);
    }

    void Keep(const QSize& size)
    {
        m_size = size;
        m_settled.start();
    }

    bool eventFilter(QObject* /*pWatched*/, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::WindowStateChange)
            m_nPutBacks = 0;
        if (m_size.isValid() &&
            (pEvent->type() == QEvent::Resize || pEvent->type() == QEvent::WindowStateChange))
            m_settled.start();
        return false;
    }

private:
    static constexpr int kSettleMs = 150;
    // Tries against a window manager that sends its own size back each time.
    static constexpr int kMaxPutBacks = 3;

    void PutSizeBack()
    {
        if (!m_pWindow->isVisible() || (m_pWindow->windowState() & kNotNormal))
            return;
        if (m_pWindow->size() == m_size)
        {
            m_nPutBacks = 0;
            return;
        }
        if (m_nPutBacks == kMaxPutBacks)
            return;
        ++m_nPutBacks;
        m_pWindow->resize(m_size);
    }

    QWidget* m_pWindow;
    QSize m_size;
    QTimer m_settled;
    int m_nPutBacks = 0;
};

// Watches one window and undoes any maximising of it; on Wayland it also
// lets a fixed-size window take whatever size the compositor configures.
class CRestoreWhenMaximised : public QObject
{
public:
    explicit CRestoreWhenMaximised(QWidget* pWindow) : QObject(pWindow), m_pWindow(pWindow)
    {
        if (IsWaylandPlatform())
            m_pSizeKeeper = new CSizeKeeper(pWindow); // child of the window
        pWindow->installEventFilter(this);
    }

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::WindowStateChange &&
            (m_pWindow->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        {
            // After the window system has finished maximising.
            QWidget* pWindow = m_pWindow;
            QTimer::singleShot(0, pWindow,
                               [pWindow]
                               {
                                   if (pWindow->windowState() &
                                       (Qt::WindowMaximized | Qt::WindowFullScreen))
                                       pWindow->showNormal();
                               });
        }
        else if (m_pSizeKeeper &&
                 (pEvent->type() == QEvent::Show || pEvent->type() == QEvent::LayoutRequest))
        {
            // The widget fixes its size as it handles these (a message box
            // does, on both), and the window system's window is shown after
            // the show event: the widget handles the event first, and then
            // the maximum goes, before the compositor can configure a size.
            pWatched->event(pEvent);
            AcceptAnySize();
            return true;
        }
        return false;
    }

private:
    void AcceptAnySize()
    {
        const QSize size = m_pWindow->minimumSize();
        if (size == m_pWindow->maximumSize())
        {
            m_pWindow->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            m_pSizeKeeper->Keep(size);
        }
    }

    QWidget* m_pWindow;
    CSizeKeeper* m_pSizeKeeper = nullptr;
};
} // namespace

void KeepFromMinimising(QWidget* pWindow)
{
    pWindow->installEventFilter(new CRestoreWhenMinimised(pWindow)); // child of the window
}

void KeepFromMaximising(QWidget* pWindow)
{
    new CRestoreWhenMaximised(pWindow); // child of the window
}

void KeepNormalSize(QWidget* pWindow, const QSize& size)
{
    (new CSizeKeeper(pWindow))->Keep(size); // child of the window
}

void BringForwardOnWayland(QWidget* pWindow)
{
    // Activation answers within a few round trips to the compositor.
    constexpr int kActivationWaitMs = 400;
    pWindow->activateWindow();
    QTimer::singleShot(kActivationWaitMs, pWindow,
                       [pWindow]
                       {
                           // Not activated: a window the compositor still
                           // draws stays where it is, as a window mapped anew
                           // is placed anew; one it no longer draws
                           // (minimised) is mapped anew.
                           const QWindow* pHandle = pWindow->windowHandle();
                           if (pWindow->isVisible() && !pWindow->isActiveWindow() && pHandle &&
                               !pHandle->isExposed())
                           {
                               pWindow->hide();
                               pWindow->show();
                           }
                       });
}

bool IsWaylandPlatform()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
