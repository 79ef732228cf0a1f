#include "platform/WindowRules.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace
{
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
} // namespace

void KeepFromMinimising(QWidget* pWindow)
{
    pWindow->installEventFilter(new CRestoreWhenMinimised(pWindow)); // child of the window
}
