// The cell edit control and the object window.
#pragma once

#include <QLineEdit>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

class CEntryControlView;
class CObjectHost;

// One element of an object: a single-line edit field. The tab character is
// the cell's own: Tab, Shift+Tab and any key that produces it (Ctrl+I) move to
// the next cell of the same object, row by row, wrapping around. Every other
// key is the edit field's; what it has no use for goes nowhere.
class CEntryControl : public QLineEdit
{
    Q_OBJECT

public:
    // The cell is a child of the view's grid widget.
    explicit CEntryControl(QWidget* pParent = nullptr);
    ~CEntryControl() override;

    void InitCell(int nRows, int nCols, CEntryControlView* pView, int nIndex);

    // A character typed into the cell. Tab (9) moves the focus on; the edit
    // field handles every other character itself.
    void OnChar(unsigned nChar, unsigned nRepCnt, unsigned nFlags);

    int m_nIndex = 0;
    int m_nRows = 0;
    int m_nCols = 0;
    CEntryControlView* m_pView = nullptr;

protected:
    bool event(QEvent* pEvent) override;
    // Dragged files are not text for the cell: they go to the object window.
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    bool focusNextPrevChild(bool bNext) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
};

// An object window: a parentless top-level window holding one object view.
// However it ends (closed, or deleted), its view goes first, and the view's
// destructor takes the object out of the dialog's lists. Closing deletes the
// view at once and the window later.
//
// Its size is fixed but for maximising: the window system is told that the
// window grows and shrinks only in steps far larger than any screen, so a
// drag on its border changes nothing, while maximise and restore (which the
// window system does not round to steps) keep working.
class CObjectFrame : public QWidget
{
    Q_OBJECT

public:
    // Composes the title, places and sizes the (hidden) window and creates
    // the view with all its cells; the view is in the dialog's m_ObjectList
    // when the constructor returns.
    CObjectFrame(CObjectHost* pDlg, QString strName, QString strSuffix, int nRows, int nCols);
    ~CObjectFrame() override;

    int OnCreate();
    void OnSize(unsigned nType, int cx, int cy);
    void OnSetFocus();

    // Keyboard commands of the window. Ctrl+Space: select or deselect the
    // object, exactly as a right click on the view's background does.
    void OnSelectKey();
    // Ctrl+Shift+C and Ctrl+Shift+V: the whole object to and from the
    // clipboard as text (see CEntryControlView::ObjectText and PasteText).
    void OnEditCopyObject();
    void OnEditPasteObject();

    // The window's size, frame included, for an object of this shape.
    static QSize FrameSize(int nRows, int nCols);
    // The frame's top-left corner for an object number.
    static QPoint FramePosition(int nObjectNumber);

    int m_nRows = 0;
    int m_nCols = 0;
    CObjectHost* m_pDlg = nullptr;
    int m_nObjectNumber = 0;
    // Null once the view has gone (the window is closing).
    CEntryControlView* m_pView = nullptr;
    QRect m_rectClient;
    QString m_strName;
    // The title exactly as composed (the window system's title is the same).
    QString m_strTitle;

    // Takes local files dropped anywhere on the window, cells included.
    void DropFiles(QDropEvent* pEvent);

signals:
    // Local files were dropped on the window, to be opened as objects.
    void filesDropped(const QStringList& paths);

protected:
    void changeEvent(QEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;

private:
    // The window's own shortcuts: Ctrl+Space, Ctrl+Shift+C, Ctrl+Shift+V, F1.
    void CreateShortcuts();

    QSize m_sizeNormal;
};
