#include "platform/AccessibleLists.h"

#include "platform/AccessibleWidget.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace
{
constexpr char kNumberListProperty[] = "quindleNumberList";

int NumberAt(const QComboBox& list, int nIndex)
{
    // The entries are plain digits; QString reads them without a locale.
    return list.itemText(nIndex).toInt();
}

class CAccessibleNumberList
    : public CAccessibleWidgetWith<QComboBox, QAccessible::ComboBox, QAccessibleValueInterface,
                                   QAccessible::ValueInterface>
{
public:
    using CAccessibleWidgetWith::CAccessibleWidgetWith;

    // The drop-down part, as the toolkit's own drop-down lists have it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int nIndex) const override
    {
        return nIndex == 0 ? QAccessible::queryAccessibleInterface(Control()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* pChild) const override
    {
        return pChild && pChild->object() == Control()->view() ? 0 : -1;
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value)
            return Control()->currentText();
        return QAccessibleWidget::text(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Control()->view()->isVisible();
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& strAction) override
    {
        if (strAction == showMenuAction() || strAction == pressAction())
            Control()->showPopup();
        else
            QAccessibleWidget::doAction(strAction);
    }

    // QAccessibleValueInterface: the chosen number, none before a choice.
    QVariant currentValue() const override
    {
        const int nIndex = Control()->currentIndex();
        return nIndex >= 0 ? QVariant(NumberAt(*Control(), nIndex)) : QVariant();
    }
    void setCurrentValue(const QVariant& value) override
    {
        const int nIndex = Control()->findText(QString::number(value.toInt()));
        if (nIndex >= 0)
            Control()->setCurrentIndex(nIndex);
    }
    QVariant maximumValue() const override
    {
        return Control()->count() > 0 ? QVariant(NumberAt(*Control(), Control()->count() - 1))
                                      : QVariant();
    }
    QVariant minimumValue() const override
    {
        return Control()->count() > 0 ? QVariant(NumberAt(*Control(), 0)) : QVariant();
    }
    QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* NumberListFactory(const QString& strClass, QObject* pObject)
{
    if (strClass == QLatin1String("QComboBox") && pObject->property(kNumberListProperty).toBool())
        return new CAccessibleNumberList(static_cast<QComboBox*>(pObject));
    return nullptr;
}
} // namespace

void ExposeNumberList(QComboBox* pList)
{
    static const bool s_bInstalled = []
    {
        QAccessible::installFactory(&NumberListFactory);
        return true;
    }();
    (void)s_bInstalled;
    pList->setProperty(kNumberListProperty, true);
    // An interface made before (the toolkit's own) gives way to this one.
    QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pList);
    if (pInterface && !dynamic_cast<CAccessibleNumberList*>(pInterface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(pInterface));
}
