// The object view: the scrolling grid of labels and cells of one object.
#pragma once

#include <QLabel>
#include <QScrollArea>
#include <QSize>
#include <QStringList>

#include <memory>

class CEntryControl;
class CMatrix;
class CEntryControlView;
class CObjectFrame;
class CObjectRegistry;
class QPainter;

// The identifier counter of the cells of object views, global to the program
// and never reset: one more for every cell made.
extern int g_nNextCellID;

// A row or column number beside the grid; drawn in the view's colours.
class CGridLabel : public QLabel
{
    Q_OBJECT

public:
    CGridLabel(const QString& strText, CEntryControlView* pView, QWidget* pParent);

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    CEntryControlView* m_pView;
};

class CEntryControlView : public QScrollArea
{
    Q_OBJECT

public:
    // The object name of the grid widget, by which the accessibility glue
    // knows the grid's labels and cells.
    static constexpr char kGridName[] = "quindleCellGrid";

    // Builds the grid with all labels and cells, the cells holding the
    // texts row by row (blank past the last text). pParent is the object
    // window pFrame, which lists the view in the registry.
    CEntryControlView(QWidget* pParent, CObjectFrame* pFrame, CObjectRegistry* pRegistry,
                      int nObjectNumber, int nRows, int nCols,
                      const QStringList& texts = QStringList());
    // Takes the object out of the registry (OnDestroy): the one place where
    // an object leaves the lists, however its window ends.
    ~CEntryControlView() override;

    int OnCreate(const QStringList& texts);
    void OnSize(unsigned nType, int cx, int cy);
    // A right click on the view's background: select or deselect the object
    // (a third one is refused with a message).
    void OnRButtonDown(unsigned nFlags, const QPoint& point);
    void OnDraw(QPainter* pDC);
    // The colours a label is drawn in: text background and rectangle.
    QColor OnCtlColorText() const;
    QColor OnCtlColorBrush() const;
    // Removes the object from the registry's lists and count.
    void OnDestroy();

    // What the registry holds of this object: selected or not, as which
    // operand (0 or 1, else -1), and its place in the object list.
    bool IsSelected() const;
    int SelIndex() const;
    int ListIndex() const;

    // Reads every cell into m_pValues; throws MessageText::kIllegalCharacter
    // (as const char*) at the first cell with a character outside the 15.
    void ReadCells();
    // Writes m_pValues into the cells, then focuses cell (0, 0).
    void WriteCells();
    // 1 when every character is a digit, '.', '+', '-', 'e' or 'E' (the
    // text ends at its first NUL); IsLegalNumberText decides.
    static int IsLegalNumber(const char* pText);
    void InvalidateChildren();
    // Repaints the view in the colours of its selection, and tells screen
    // readers of it.
    void Invalidate();
    // Drops the word of another view moving up, telling the focused cell.
    void ForgetMovedUp();
    // Tells screen readers of the new description of this view's cell that
    // has the focus in its window, if one has.
    void TellFocusedCell();
    // What screen readers hear of the selection on the object's window and
    // cells: "Selected, first operand", "Selected, second operand", "Not
    // selected" once it has been deselected, and nothing before it ever was.
    QString SelectionText() const { return m_strSelectionText; }
    // What the cells tell of the selection: SelectionText, and, right after
    // this view left the first place to another, which one it is now.
    QString CellSelectionText() const { return m_strSelectionText + m_strMovedUp; }

    // Focuses cell (0, 0) and selects its text.
    void FocusFirstCell();
    // Scrolls just enough to show the whole cell, and for a cell of the
    // first row or column the numbers beside it.
    void ShowCell(const CEntryControl& cell);

    // The whole object as text: one line per row, lines separated by "\n",
    // the cells' texts (exactly as shown) separated by tabs.
    QString ObjectText() const;
    // Writes a block of text into the cells as typed text, its first value
    // into cell (nRow, nCol). Lines end in LF or CR LF (a final line end is
    // ignored); values are separated by tabs or, in a line without tabs, by
    // blanks. What falls outside the object is left out; nothing is checked.
    void PasteText(const QString& strText, int nRow, int nCol);
    // The values of one pasted line.
    static QStringList SplitPastedLine(const QString& strLine);
    // The grid widget inside the scroll area that holds labels and cells.
    QWidget* GridWidget() const { return m_pGrid; }
    CEntryControl& Cell(int nRow, int nCol) const { return *m_pCells[nRow][nCol]; }

    // The object's window, and the labels beside the grid.
    CObjectFrame* Frame() const { return m_pFrame; }
    CGridLabel* RowLabel(int i) const { return m_pRowLabels[i]; }
    CGridLabel* ColLabel(int j) const { return m_pColLabels[j]; }
    // While the cells are written all at once (their changes are not
    // announced one by one).
    bool IsWritingCells() const { return m_bWritingCells; }
    // Stores the matrix's values and writes them into the cells
    // (WriteCells).
    void ShowValues(const CMatrix& values);
    // Stores the matrix's values only: for a view whose cells were made with
    // their texts (CellTexts).
    void KeepValues(const CMatrix& values);
    // The texts the cells show for the matrix's values, row by row.
    static QStringList CellTexts(const CMatrix& values);
    // The name screen readers hear for cell nIndex (row by row from 0):
    // "Row 2, column 3 of object 4".
    QString CellName(int nIndex) const;
    // Writes the texts into the cells as they are, row by row (those past
    // the last cell are left out), then focuses cell (0, 0).
    void WriteTexts(const QStringList& texts);

    // The object's size, fixed when the view is made.
    const int m_nRows;
    const int m_nCols;
    // m_pValues[i][j]: the numbers of the object (what the cells showed
    // when they were last read or written).
    std::unique_ptr<std::unique_ptr<double[]>[]> m_pValues;

protected:
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    QSize m_sizeTotal;
    // What a click in a scroll bar's page area and on its arrows moves: a
    // tenth of the grid and a tenth of that.
    QSize m_sizePage;
    QSize m_sizeLine;
    QColor m_brushSelected;
    QColor m_brushNormal;
    QFont m_font;
    // m_pCells[i][j]: the cells (owned by the grid widget as Qt children).
    std::unique_ptr<std::unique_ptr<CEntryControl*[]>[]> m_pCells;
    std::unique_ptr<CGridLabel*[]> m_pRowLabels;
    std::unique_ptr<CGridLabel*[]> m_pColLabels;
    CObjectFrame* m_pFrame = nullptr;
    CObjectRegistry* m_pRegistry = nullptr;
    bool m_bWritingCells = false;
    QWidget* m_pGrid = nullptr;
    int m_nObjectNumber = 0;
    QString m_strSelectionText;
    QString m_strMovedUp;
    // The place in the selection the last change left (-1: none).
    int m_nLastSelIndex = -1;
};
