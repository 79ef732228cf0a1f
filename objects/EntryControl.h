// The cell edit control: one element of an object.
#pragma once

#include <QLineEdit>
#include <QStringList>

class CEntryControl;
class CEntryControlView;

// Who hears what the cells of one object have to tell: a cell took the
// focus, local files were dropped on a cell. One listener serves all the
// cells of an object (their grid), instead of connections made and undone
// cell by cell.
class CCellListener
{
public:
    virtual void OnCellFocused(CEntryControl& cell) = 0;
    virtual void OnCellFilesDropped(const QStringList& paths) = 0;

protected:
    ~CCellListener() = default;
};

// A single-line edit field. The tab character is the cell's own: Tab,
// Shift+Tab and any key that produces it (Ctrl+I) move to the next cell of
// the same object, row by row, wrapping around. Every other key is the edit
// field's; what it has no use for goes nowhere. Files dragged onto a cell
// are not text for it: it hands them to its listener.
class CEntryControl : public QLineEdit
{
    Q_OBJECT

public:
    // The cell is a child of the view's grid widget, which usually is its
    // listener too.
    explicit CEntryControl(QWidget* pParent = nullptr, CCellListener* pListener = nullptr);
    ~CEntryControl() override;

    // pNextCell: the cell that Tab moves to (the first cell after the last).
    void InitCell(int nRows, int nCols, CEntryControlView* pView, int nIndex,
                  CEntryControl* pNextCell);

    // A character typed into the cell. Tab (9) moves the focus on; the edit
    // field handles every other character itself.
    void OnChar(unsigned nChar, unsigned nRepCnt, unsigned nFlags);

    // Where character nOffset of the text is drawn, in screen coordinates;
    // empty past the text.
    QRect CharacterRect(int nOffset) const;

    // The cell's place in its object, row by row from 0, and the view whose
    // grid holds it.
    int Index() const { return m_nIndex; }
    CEntryControlView* View() const { return m_pView; }
    // The listener hears nothing more (it is going).
    void DropListener() { m_pListener = nullptr; }

protected:
    bool event(QEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    bool focusNextPrevChild(bool bNext) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    int m_nIndex = 0;
    int m_nRows = 0;
    int m_nCols = 0;
    CEntryControlView* m_pView = nullptr;
    CEntryControl* m_pNextCell = nullptr;
    CCellListener* m_pListener = nullptr;
};
