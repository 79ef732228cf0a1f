#include "platform/ScreenReaderEvents.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QVariantMap>

bool SendTextChange(QAccessibleEvent* pEvent)
{
    const QAccessible::Event type = pEvent->type();
    if (type != QAccessible::NameChanged && type != QAccessible::DescriptionChanged)
        return false;
    if (!QAccessible::isActive())
        return false;
    // The connection the toolkit's bridge opened to the accessibility bus.
    const QDBusConnection bus(QStringLiteral("a11y"));
    if (!bus.isConnected())
        return false;
    QAccessibleInterface* pInterface = pEvent->accessibleInterface();
    if (!pInterface || !pInterface->isValid())
        return false;

    const bool bName = type == QAccessible::NameChanged;
    const QString path = QStringLiteral("/org/a11y/atspi/accessible/") +
                         QString::number(QAccessible::uniqueId(pInterface));
    QDBusMessage message = QDBusMessage::createSignal(
        path, QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("PropertyChange"));
    const QString text = pInterface->text(bName ? QAccessible::Name : QAccessible::Description);
    message << (bName ? QStringLiteral("accessible-name")
                      : QStringLiteral("accessible-description"))
            << 0 << 0 << QVariant::fromValue(QDBusVariant(text)) << QVariantMap();
    return bus.send(message);
}
