#include "objects/AccessibleObjects.h"

#include "objects/EntryControl.h"
#include "objects/EntryControlView.h"
#include "platform/ScreenReaderEvents.h"

#include <QAccessibleWidget>
#include <QFontMetrics>

namespace
{
// A cell: the edit field as the toolkit presents it, but with one attribute
// run over the whole text. The toolkit's own reports an empty run at each
// offset, which screen readers merge into a run one character short and so
// cut the last character off every value read. The name gives the cell's
// row, column and object; the description tells whether the object is
// selected, and as which operand.
class CAccessibleCell : public QAccessibleWidget,
                        public QAccessibleTextInterface,
                        public QAccessibleEditableTextInterface
{
public:
    // Every cell gets one as its window shows; what is costly is left until
    // it is asked for.
    explicit CAccessibleCell(CEntryControl* pCell)
        : QAccessibleWidget(pCell, QAccessible::EditableText)
    {
    }

    // The signals that control other objects, as for any edit field; read
    // only by the relations.
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match = QAccessible::AllRelations) const override
    {
        if (!m_bSignalsAdded)
        {
            auto* pThis = const_cast<CAccessibleCell*>(this);
            pThis->addControllingSignal(QStringLiteral("textChanged(const QString&)"));
            pThis->addControllingSignal(QStringLiteral("returnPressed()"));
            pThis->m_bSignalsAdded = true;
        }
        return QAccessibleWidget::relations(match);
    }

    CEntryControl* Cell() const { return static_cast<CEntryControl*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value)
            return Cell()->text();
        if (type == QAccessible::Name && Cell()->View() && Cell()->accessibleName().isEmpty())
            return Cell()->View()->CellName(Cell()->Index());
        if (type == QAccessible::Description && Cell()->View())
            return Cell()->View()->CellSelectionText();
        return QAccessibleWidget::text(type);
    }

    void setText(QAccessible::Text type, const QString& strText) override
    {
        if (type == QAccessible::Value)
            Cell()->setText(strText);
        else
            QAccessibleWidget::setText(type, strText);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (Cell()->isReadOnly())
            state.readOnly = true;
        else
            state.editable = true;
        state.selectableText = true;
        return state;
    }

    // QAccessibleTextInterface
    void selection(int nIndex, int* pStart, int* pEnd) const override
    {
        *pStart = *pEnd = 0;
        if (nIndex != 0 || !Cell()->hasSelectedText())
            return;
        *pStart = Cell()->selectionStart();
        *pEnd = *pStart + int(Cell()->selectedText().size());
    }
    int selectionCount() const override { return Cell()->hasSelectedText() ? 1 : 0; }
    void addSelection(int nStart, int nEnd) override { setSelection(0, nStart, nEnd); }
    void removeSelection(int nIndex) override
    {
        if (nIndex == 0)
            Cell()->deselect();
    }
    void setSelection(int nIndex, int nStart, int nEnd) override
    {
        if (nIndex == 0)
            Cell()->setSelection(nStart, nEnd - nStart);
    }
    int cursorPosition() const override { return Cell()->cursorPosition(); }
    void setCursorPosition(int nPosition) override { Cell()->setCursorPosition(nPosition); }
    QString text(int nStart, int nEnd) const override
    {
        if (nStart > nEnd)
            return QString();
        return Cell()->text().mid(nStart, nEnd - nStart);
    }
    int characterCount() const override { return int(Cell()->text().size()); }
    QRect characterRect(int nOffset) const override { return Cell()->CharacterRect(nOffset); }
    int offsetAtPoint(const QPoint& point) const override
    {
        return Cell()->cursorPositionAt(Cell()->mapFromGlobal(point));
    }
    void scrollToSubstring(int nStart, int nEnd) override
    {
        Cell()->setCursorPosition(nEnd);
        Cell()->setCursorPosition(nStart);
    }
    QString attributes(int /*nOffset*/, int* pStart, int* pEnd) const override
    {
        // A cell's text is all in one font: one run, no attributes.
        *pStart = 0;
        *pEnd = characterCount();
        return QString();
    }

    // QAccessibleEditableTextInterface
    void deleteText(int nStart, int nEnd) override
    {
        Cell()->setText(Cell()->text().remove(nStart, nEnd - nStart));
    }
    void insertText(int nOffset, const QString& strText) override
    {
        Cell()->setText(Cell()->text().insert(nOffset, strText));
    }
    void replaceText(int nStart, int nEnd, const QString& strText) override
    {
        Cell()->setText(Cell()->text().replace(nStart, nEnd - nStart, strText));
    }

private:
    bool m_bSignalsAdded = false;
};

// An object window: selectable, selected while its object is, and described
// by its place in the selection.
class CAccessibleObjectWindow : public QAccessibleWidget
{
public:
    explicit CAccessibleObjectWindow(QWidget* pFrame)
        : QAccessibleWidget(pFrame, QAccessible::Window)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        if (const auto* pView = widget()->findChild<CEntryControlView*>())
            state.selected = pView->IsSelected();
        return state;
    }
};

QAccessibleInterface* ObjectFactory(const QString& strClass, QObject* pObject)
{
    if (strClass == QLatin1String("CEntryControl"))
        return new CAccessibleCell(static_cast<CEntryControl*>(pObject));
    if (strClass == QLatin1String("CObjectFrame"))
        return new CAccessibleObjectWindow(static_cast<QWidget*>(pObject));
    return nullptr;
}

// The view whose grid holds the widget, or null.
CEntryControlView* ViewOfGridChild(const QWidget* pWidget)
{
    const QWidget* pGrid = pWidget->parentWidget();
    if (!pGrid || pGrid->objectName() != QLatin1String(CEntryControlView::kGridName))
        return nullptr;
    // The grid sits in the view's viewport once the view has taken it.
    for (QWidget* p = pGrid->parentWidget(); p; p = p->parentWidget())
        if (auto* pView = qobject_cast<CEntryControlView*>(p))
            return pView;
    return nullptr;
}

// Events of the cells and labels that nobody could hear: shown and hidden
// only with their window, named before it is shown, and written all at once
// when an object is loaded (the focused cell is announced after that).
bool IsUnheard(QAccessibleEvent* pEvent)
{
    auto* pWidget = qobject_cast<QWidget*>(pEvent->object());
    if (!pWidget || !pWidget->parentWidget() ||
        pWidget->parentWidget()->objectName() != QLatin1String(CEntryControlView::kGridName))
        return false;
    const QAccessible::Event type = pEvent->type();
    if (type == QAccessible::ObjectShow || type == QAccessible::ObjectHide ||
        !pWidget->window()->isVisible())
        return true;
    const CEntryControlView* pView = ViewOfGridChild(pWidget);
    return pView && pView->IsWritingCells();
}

QAccessible::UpdateHandler& PreviousHandler()
{
    static QAccessible::UpdateHandler s_handler = nullptr;
    return s_handler;
}

void FilterEvent(QAccessibleEvent* pEvent)
{
    if (IsUnheard(pEvent))
        return;
    // A new name or description goes out with its text.
    if (SendTextChange(pEvent))
        return;
    if (QAccessible::UpdateHandler previous = PreviousHandler())
    {
        previous(pEvent);
        return;
    }
    // No handler before this one: the toolkit's own delivery, reached by
    // stepping aside for this one event.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(pEvent);
    QAccessible::installUpdateHandler(&FilterEvent);
}
} // namespace

void InstallObjectAccessibility()
{
    static const bool s_bInstalled = []
    {
        QAccessible::installFactory(&ObjectFactory);
        PreviousHandler() = QAccessible::installUpdateHandler(&FilterEvent);
        return true;
    }();
    (void)s_bInstalled;
}

void AdoptCellInterfaces(const CEntryControlView& view)
{
    // Without an assistive technology listening, nothing asks for an
    // interface while the cells are made; the first question makes the
    // cell's own.
    if (!QAccessible::isActive())
        return;
    for (int i = 0; i < view.m_nRows; ++i)
    {
        for (int j = 0; j < view.m_nCols; ++j)
        {
            // An interface the edit field's constructor made (before the cell
            // was one) gives way to the cell's own.
            QAccessibleInterface* pInterface =
                QAccessible::queryAccessibleInterface(&view.Cell(i, j));
            if (pInterface && !dynamic_cast<CAccessibleCell*>(pInterface))
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(pInterface));
        }
    }
}
