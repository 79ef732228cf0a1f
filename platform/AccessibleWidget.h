// A widget's accessible object that offers one interface more than the
// toolkit's own (a text to read, a value): the base of the program's
// accessible documents and lists.
#pragma once

#include <QAccessibleWidget>

template <class Widget, QAccessible::Role kRole, class Interface,
          QAccessible::InterfaceType kInterface>
class CAccessibleWidgetWith : public QAccessibleWidget, public Interface
{
public:
    explicit CAccessibleWidgetWith(Widget* pWidget) : QAccessibleWidget(pWidget, kRole) {}

    Widget* Control() const { return static_cast<Widget*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == kInterface)
            return static_cast<Interface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
};
