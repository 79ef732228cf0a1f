#include "platform/AccessibleLists.h"

#include "platform/AccessibleWidget.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

#include <algorithm>

namespace
{
constexpr char kNumberListProperty[] = "quindleNumberList";

int NumberAt(const QComboBox& list, int nIndex)
{
    // The entries are plain digits; QString reads them without a locale.
    return list.itemText(nIndex).toInt();
}

// The value is also offered as a text, the chosen number, shown selected:
// screen readers speak a drop-down list's value from its text, and speak a
// selected text inserted into the focused object (see ExposeNumberList).
class CAccessibleNumberList
    : public CAccessibleWidgetWith<QComboBox, QAccessible::ComboBox, QAccessibleValueInterface,
                                   QAccessible::ValueInterface>,
      public QAccessibleTextInterface
{
public:
    using CAccessibleWidgetWith::CAccessibleWidgetWith;

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return CAccessibleWidgetWith::interface_cast(type);
    }

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

    // QAccessibleTextInterface: the chosen number, read-only, all of it
    // selected; empty before a choice.
    void selection(int nIndex, int* pStart, int* pEnd) const override
    {
        *pStart = 0;
        *pEnd = nIndex == 0 ? characterCount() : 0;
    }
    int selectionCount() const override { return characterCount() > 0 ? 1 : 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int nStart, int nEnd) const override
    {
        return Control()->currentText().mid(nStart, std::max(nEnd - nStart, 0));
    }
    int characterCount() const override { return int(Control()->currentText().size()); }
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint&) const override { return 0; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* pStart, int* pEnd) const override
    {
        *pStart = 0;
        *pEnd = characterCount();
        return QString();
    }
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
    // A change is told as the new number inserted, after the toolkit's own
    // value change: screen readers speak it, where they announce only the
    // list's name and state for the value change.
    QObject::connect(
        pList, &QComboBox::currentIndexChanged, pList,
        [pList]
        {
            if (!QAccessible::isActive() || pList->currentText().isEmpty())
                return;
            QAccessibleTextInsertEvent event(pList, 0, pList->currentText());
            QAccessible::updateAccessibility(&event);
        },
        Qt::QueuedConnection);
    // An interface made before (the toolkit's own) gives way to this one.
    QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pList);
    if (pInterface && !dynamic_cast<CAccessibleNumberList*>(pInterface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(pInterface));
}
