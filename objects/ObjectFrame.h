// The object window.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

class CEntryControlView;
class CObjectRegistry;

// An object window: a parentless top-level window holding one object view.
// However it ends (closed, or deleted), its view goes first, and the view's
// destructor takes the object out of the registry. Closing deletes the view
// at once and the window later. Files dropped anywhere on it go to the
// registry, to be opened as objects.
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
    // the view with all its cells, holding the texts row by row; the object
    // is in the registry, with the registry's next number, when the
    // constructor returns.
    CObjectFrame(CObjectRegistry* pRegistry, QString strName, QString strSuffix, int nRows,
                 int nCols, const QStringList& texts = QStringList());
    ~CObjectFrame() override;

    int OnCreate(const QStringList& texts);
    void OnSize(unsigned nType, int cx, int cy);
    void OnSetFocus();

    // Keyboard commands of the window. Ctrl+Space: select or deselect the
    // object, exactly as a right click on the view's background does.
    void OnSelectKey();
    // Ctrl+Shift+C and Ctrl+Shift+V: the whole object to and from the
    // clipboard as text (see CEntryControlView::ObjectText and PasteText).
    void OnEditCopyObject();
    void OnEditPasteObject();
    // Ctrl+W: closes the window, as its close box does.
    void OnCloseKey();

    // The window's size, frame included, for an object of this shape.
    static QSize FrameSize(int nRows, int nCols);
    // The frame's top-left corner for an object number.
    static QPoint FramePosition(int nObjectNumber);

    // The object's size, fixed when the window is made.
    const int m_nRows;
    const int m_nCols;

    // The object's number, its name (the composed name of a result, else
    // the number), what the title shows after the number of an object
    // without a composed name (a loaded object's path), and the title
    // exactly as composed (the window system's title is the same).
    int ObjectNumber() const { return m_nObjectNumber; }
    const QString& Name() const { return m_strName; }
    const QString& Suffix() const { return m_strSuffix; }
    const QString& Title() const { return m_strTitle; }
    // The view; null once it has gone (the window is closing).
    CEntryControlView* View() const { return m_pView; }

protected:
    void changeEvent(QEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void moveEvent(QMoveEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;

private:
    CObjectRegistry* m_pRegistry = nullptr;
    int m_nObjectNumber = 0;
    CEntryControlView* m_pView = nullptr;
    QRect m_rectClient;
    QString m_strName;
    QString m_strSuffix;
    QString m_strTitle;

    // The window's own shortcuts: Ctrl+Space, Ctrl+Shift+C, Ctrl+Shift+V,
    // Ctrl+W, F1.
    void CreateShortcuts();

    QSize m_sizeNormal;
};
