#include "platform/FocusReturn.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace
{
// When the focus was last sent back to a window (ms since the epoch).
constexpr char kReturningProperty[] = "quindleFocusReturning";
constexpr qint64 kReturnValidMs = 1000;

class CFocusReturn final : public QObject
{
public:
    explicit CFocusReturn(QObject* pParent) : QObject(pParent)
    {
        setObjectName(QStringLiteral("quindleFocusReturn"));
        connect(qApp, &QGuiApplication::focusWindowChanged, this, &CFocusReturn::OnFocusWindow);
        qApp->installEventFilter(this);
        OnFocusWindow(QGuiApplication::focusWindow());
    }

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() != QEvent::Hide && pEvent->type() != QEvent::Show)
            return false;
        if (!pWatched->isWidgetType() || !static_cast<QWidget*>(pWatched)->isWindow())
            return false;
        auto* pWindow = static_cast<QWidget*>(pWatched);
        if (!Follows(pWindow))
            return false;
        if (pEvent->type() == QEvent::Show)
        {
            // A window that appears takes the focus it is given.
            m_bPending = false;
        }
        else if (!m_order.isEmpty() && m_order.first() == pWindow && !pWindow->isMinimized())
        {
            // The window to return to is chosen now: the toolkit or the
            // window manager may activate another (the box's owner) before
            // the focus is given back.
            m_pTarget = nullptr;
            for (const QPointer<QWidget>& pOther : std::as_const(m_order))
                if (pOther && pOther != pWindow && pOther->isVisible() && !pOther->isMinimized())
                {
                    m_pTarget = pOther;
                    break;
                }
            m_bPending = m_pTarget != nullptr;
            QTimer::singleShot(0, this, &CFocusReturn::ReturnFocus);
        }
        return false;
    }

private:
    // Menus, drop-down lists and tooltips come and go without being windows
    // a user works in.
    static bool Follows(const QWidget* pWindow)
    {
        const Qt::WindowType type = pWindow->windowType();
        return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen &&
               type != Qt::Desktop;
    }

    void OnFocusWindow(QWindow* pFocus)
    {
        if (!pFocus)
            return;
        for (QWidget* pWindow : QApplication::topLevelWidgets())
            if (pWindow->windowHandle() == pFocus && Follows(pWindow))
            {
                m_order.removeAll(pWindow);
                m_order.prepend(pWindow);
                break;
            }
        m_order.removeAll(nullptr);
    }

    void ReturnFocus()
    {
        // A window appeared since, or a box is up: they have the focus.
        if (!std::exchange(m_bPending, false) || QApplication::activeModalWidget())
            return;
        m_order.removeAll(nullptr);
        QWidget* pWindow = m_pTarget.data();
        if (!pWindow || !pWindow->isVisible() || pWindow->isMinimized() ||
            QApplication::activeWindow() == pWindow)
            return;
        pWindow->setProperty(kReturningProperty, QDateTime::currentMSecsSinceEpoch());
        pWindow->raise();
        pWindow->activateWindow();
    }

    // The windows that were active, the latest first.
    QList<QPointer<QWidget>> m_order;
    // Where the focus goes back to once the active window has closed.
    QPointer<QWidget> m_pTarget;
    bool m_bPending = false;
};
} // namespace

void ReturnFocusWhenWindowsClose()
{
    if (!qApp->findChild<QObject*>(QStringLiteral("quindleFocusReturn"),
                                   Qt::FindDirectChildrenOnly))
        new CFocusReturn(qApp); // the application's child
}

bool TakeFocusReturn(QWidget* pWindow)
{
    const QVariant since = pWindow->property(kReturningProperty);
    if (!since.isValid())
        return false;
    pWindow->setProperty(kReturningProperty, QVariant());
    return QDateTime::currentMSecsSinceEpoch() - since.toLongLong() <= kReturnValidMs;
}
