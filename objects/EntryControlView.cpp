#include "objects/EntryControlView.h"

#include "engine/Matrix.h"
#include "objects/EntryControl.h"
#include "objects/ObjectRegistry.h"
#include "platform/MessageBox.h"
#include "platform/Metrics.h"
#include "platform/NumberText.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <string_view>
#include <vector>

int g_nNextCellID = 130000;

namespace
{
// The number left-justified in a field of three characters ("1  ", "12 ").
QString LabelText(int n)
{
    return QString::number(n).leftJustified(3, QLatin1Char(' '));
}

// Longest cell text that is read; longer texts are cut.
constexpr int kMaxCellText = 99;

// Reads the view's cells, then hands out its value rows.
std::vector<double*> ReadValueRows(CEntryControlView* pView)
{
    pView->ReadCells();
    std::vector<double*> rows(pView->m_nRows);
    for (int i = 0; i < pView->m_nRows; ++i)
        rows[i] = pView->m_pValues[i].get();
    return rows;
}

using CellRows = std::unique_ptr<std::unique_ptr<CEntryControl*[]>[]>;

// The numbers beside the grid, one label a row (down the left) or a column
// (across the top); strName names them for screen readers ("Row 1").
std::unique_ptr<CGridLabel* []> MakeLabels(CEntryControlView* pView, QWidget* pGrid, int nCount,
                                           const QString& strName, QRect (*pPlace)(int))
{
    auto labels = std::make_unique<CGridLabel*[]>(nCount);
    const QFont labelFont = Metrics::DialogFont();
    for (int k = 0; k < nCount; ++k)
    {
        auto* pLabel = new CGridLabel(LabelText(k + 1), pView, pGrid);
        pLabel->setAccessibleName(strName + QString::number(k + 1));
        pLabel->setFont(labelFont);
        pLabel->setGeometry(pPlace(k));
        labels[k] = pLabel;
    }
    return labels;
}

// The grid of labels and cells, and the listener of its cells: a cell that
// takes the focus is scrolled into view, and files dropped on a cell go to
// the registry to be opened.
//
// The window's activation stops here instead of going on to every cell, each
// of which would repaint and post itself a call to drop a selection it no
// longer shows: one repaint of the grid covers the cells, and one call after
// the event drops those selections.
class CCellGrid : public QWidget,
                  public CCellListener
{
public:
    CCellGrid(CEntryControlView* pView, CObjectRegistry* pRegistry)
        : m_pView(pView), m_pRegistry(pRegistry)
    {
        setObjectName(QLatin1String(CEntryControlView::kGridName));
    }
    ~CCellGrid() override
    {
        // The cells outlive this part of the grid by a moment (the toolkit
        // deletes them after it): nothing they tell reaches it now.
        for (QObject* pChild : children())
            if (auto* pCell = qobject_cast<CEntryControl*>(pChild))
                pCell->DropListener();
    }

    void OnCellFocused(CEntryControl& cell) override { m_pView->ShowCell(cell); }
    void OnCellFilesDropped(const QStringList& paths) override
    {
        m_pRegistry->RequestOpenFiles(paths);
    }

protected:
    bool event(QEvent* pEvent) override
    {
        if (pEvent->type() != QEvent::WindowActivate && pEvent->type() != QEvent::WindowDeactivate)
            return QWidget::event(pEvent);
        if (isVisible() && !palette().isEqual(QPalette::Active, QPalette::Inactive))
            update();
        if (pEvent->type() == QEvent::WindowActivate)
            QTimer::singleShot(0, this, [this] { DropUnfocusedSelections(); });
        return true;
    }

private:
    // What an edit field does on its own when its window becomes active.
    void DropUnfocusedSelections()
    {
        for (QObject* pChild : children())
        {
            auto* pCell = qobject_cast<CEntryControl*>(pChild);
            if (pCell && !pCell->hasFocus() && pCell->hasSelectedText())
                pCell->deselect();
        }
    }

    CEntryControlView* m_pView;
    CObjectRegistry* m_pRegistry;
};

// A cell in row i, column j of the grid, holding its text from the start: it
// tells the grid when it takes the focus and when files are dropped on it,
// and the registry of its edits (its first text is none). Its name for
// screen readers comes from the view.
CEntryControl* MakeCell(CCellGrid* pGrid, CObjectRegistry* pRegistry, int i, int j,
                        const QString& strText)
{
    auto* pCell = new CEntryControl(pGrid, pGrid);
    // Written, not given to the constructor, which would lay the text out
    // three times.
    if (!strText.isEmpty())
        pCell->setText(strText);
    QObject::connect(pCell, &QLineEdit::textChanged, pRegistry, &CObjectRegistry::NoteEdited);
    pCell->setGeometry(132 * j + 25, 36 * i + 25, 117, 19);
    return pCell;
}

// Tab goes on row by row, from the last cell to the first.
void ChainCells(CEntryControlView* pView, const CellRows& cells, int nRows, int nCols)
{
    int n = 0;
    for (int i = 0; i < nRows; ++i)
    {
        for (int j = 0; j < nCols; ++j)
        {
            const int next = (n + 1) % (nRows * nCols);
            cells[i][j]->InitCell(nRows, nCols, pView, n, cells[next / nCols][next % nCols]);
            ++n;
        }
    }
}
} // namespace

// The matrix of a view's cells; the illegal-character text passes on, and no
// matrix is made then.
CMatrix::CMatrix(CEntryControlView* pView)
    : CMatrix(ReadValueRows(pView).data(), pView->m_nRows, pView->m_nCols)
{
}

// ---------------------------------------------------------------------------
// CGridLabel

CGridLabel::CGridLabel(const QString& strText, CEntryControlView* pView, QWidget* pParent)
    : QLabel(strText, pParent), m_pView(pView)
{
    setAlignment(Qt::AlignRight | Qt::AlignTop);
}

void CGridLabel::paintEvent(QPaintEvent* /*pEvent*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_pView->OnCtlColorBrush());
    // The text, trailing blanks included, sits at the right edge on its own
    // background; when it is wider than the label its digits stay in view.
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(text());
    const QString digits = text().trimmed();
    const int digitsWidth = metrics.horizontalAdvance(digits);
    const int x = std::max(0, width() - std::max(textWidth, digitsWidth));
    const QRect textRect(x, 0, std::min(textWidth, width() - x), metrics.height());
    painter.fillRect(textRect, m_pView->OnCtlColorText());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QPoint(x, metrics.ascent()), digits);
}

// ---------------------------------------------------------------------------
// CEntryControlView

CEntryControlView::CEntryControlView(QWidget* pParent, CObjectFrame* pFrame,
                                     CObjectRegistry* pRegistry, int nObjectNumber, int nRows,
                                     int nCols, const QStringList& texts)
    : QScrollArea(pParent), m_nRows(nRows), m_nCols(nCols), m_nObjectNumber(nObjectNumber)
{
    m_brushSelected = QColor(Metrics::kSelectedLabelBrush);
    m_brushNormal = Metrics::ButtonFace();
    m_pFrame = pFrame;
    m_pRegistry = pRegistry;
    m_sizeTotal = QSize(132 * nCols + 25, 36 * nRows + 25);

    setFrameShape(QFrame::NoFrame);
    // A click on the background leaves the focus in its cell.
    setFocusPolicy(Qt::NoFocus);
    // The bars' page steps stay the visible part, so that the thumbs show
    // how much of the grid is in view; a click in a page area moves by the
    // grid's own page instead.
    for (QScrollBar* pBar : {horizontalScrollBar(), verticalScrollBar()})
    {
        connect(pBar, &QAbstractSlider::actionTriggered, this,
                [this, pBar](int nAction)
                {
                    const int nPage = pBar->orientation() == Qt::Horizontal ? m_sizePage.width()
                                                                            : m_sizePage.height();
                    if (nAction == QAbstractSlider::SliderPageStepAdd)
                        pBar->setSliderPosition(pBar->value() + nPage);
                    else if (nAction == QAbstractSlider::SliderPageStepSub)
                        pBar->setSliderPosition(pBar->value() - nPage);
                });
    }
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setGeometry(0, 0, m_sizeTotal.width(), m_sizeTotal.height());
    OnCreate(texts);
    // The highlight follows the selection.
    connect(pRegistry, &CObjectRegistry::selectionChanged, this,
            [this](CEntryControlView* pView)
            {
                if (pView == this)
                    Invalidate();
                else if (!m_strMovedUp.isEmpty() && pView->SelIndex() != 0)
                    ForgetMovedUp();
            });
}

CEntryControlView::~CEntryControlView()
{
    OnDestroy();
}

int CEntryControlView::OnCreate(const QStringList& texts)
{
    m_font = Metrics::CellFont(logicalDpiY());

    // The grid is built complete before it goes into the scroll area, and
    // before the window is shown: adding children to a visible widget one by
    // one costs far more.
    auto* pGrid = new CCellGrid(this, m_pRegistry); // owned by the scroll area below
    m_pGrid = pGrid;
    m_pGrid->resize(m_sizeTotal);
    m_pGrid->setFont(m_font);

    // Names for screen readers: the object, its labels and every cell.
    const QString number = QString::number(m_nObjectNumber);
    setAccessibleName(QStringLiteral("Object ") + number);
    m_pGrid->setAccessibleName(QStringLiteral("Cells of object ") + number);

    m_pRowLabels = MakeLabels(this, m_pGrid, m_nRows, QStringLiteral("Row "),
                              [](int i) { return QRect(4, 36 * i + 27, 16, 16); });
    m_pColLabels = MakeLabels(this, m_pGrid, m_nCols, QStringLiteral("Column "),
                              [](int j) { return QRect(132 * j + 76, 5, 16, 15); });

    m_pCells = std::make_unique<std::unique_ptr<CEntryControl*[]>[]>(m_nRows);
    m_pValues = std::make_unique<std::unique_ptr<double[]>[]>(m_nRows);
    for (int i = 0; i < m_nRows; ++i)
    {
        m_pCells[i] = std::make_unique<CEntryControl*[]>(m_nCols);
        m_pValues[i] = std::make_unique<double[]>(m_nCols);
        for (int j = 0; j < m_nCols; ++j)
        {
            m_pValues[i][j] = 0.0;
            const qsizetype k = qsizetype(i) * m_nCols + j;
            m_pCells[i][j] =
                MakeCell(pGrid, m_pRegistry, i, j, k < texts.size() ? texts.at(k) : QString());
            ++g_nNextCellID;
        }
    }
    ChainCells(this, m_pCells, m_nRows, m_nCols);

    setWidget(m_pGrid);
    // The view paints the background (and the highlight) behind the grid.
    m_pGrid->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);

    setAccessibleDescription(QStringLiteral("Not selected"));
    FocusFirstCell();
    return 0;
}

void CEntryControlView::OnSize(unsigned /*nType*/, int /*cx*/, int /*cy*/)
{
    // A page is a tenth of the grid in each direction, a line a tenth of a
    // page.
    m_sizePage = QSize(m_sizeTotal.width() / 10, m_sizeTotal.height() / 10);
    m_sizeLine = QSize(m_sizePage.width() / 10, m_sizePage.height() / 10);
    horizontalScrollBar()->setSingleStep(std::max(1, m_sizeLine.width()));
    verticalScrollBar()->setSingleStep(std::max(1, m_sizeLine.height()));
}

void CEntryControlView::OnRButtonDown(unsigned /*nFlags*/, const QPoint& /*point*/)
{
    // The registry tells the views what changed; they repaint.
    if (m_pRegistry->ToggleSelection(this) == CObjectRegistry::ESelection::Refused)
        AppMessageBox(MessageText::kTwoAlreadySelected);
}

void CEntryControlView::OnDraw(QPainter* pDC)
{
    if (IsSelected())
    {
        // Covers the grid wherever it is scrolled, and all of the client area
        // when that is larger.
        pDC->fillRect(viewport()->rect(), QColor(Metrics::kSelectedBackground));
    }
    else
    {
        pDC->fillRect(viewport()->rect(), Metrics::ButtonFace());
    }
    // The labels and cells are repainted with the view by the toolkit; a
    // request from inside the painting would only start another round.
}

QColor CEntryControlView::OnCtlColorText() const
{
    return IsSelected() ? QColor(Metrics::kSelectedBackground) : Metrics::ButtonFace();
}

QColor CEntryControlView::OnCtlColorBrush() const
{
    return IsSelected() ? m_brushSelected : m_brushNormal;
}

void CEntryControlView::OnDestroy()
{
    m_pRegistry->Remove(this, m_nRows * m_nCols, m_nObjectNumber);
}

bool CEntryControlView::IsSelected() const
{
    return SelIndex() >= 0;
}

int CEntryControlView::SelIndex() const
{
    return m_pRegistry->SelectionIndex(this);
}

int CEntryControlView::ListIndex() const
{
    return m_pRegistry->ListIndex(this);
}

int CEntryControlView::IsLegalNumber(const char* pText)
{
    // The text as a C string: it ends at its first NUL.
    return IsLegalNumberText(std::string_view(pText)) ? 1 : 0;
}

void CEntryControlView::ReadCells()
{
    for (int i = 0; i < m_nRows; ++i)
    {
        for (int j = 0; j < m_nCols; ++j)
        {
            // Any character outside the 15 fails the test below, so the text
            // can be taken as UTF-8 bytes without harm.
            QByteArray text = m_pCells[i][j]->text().left(kMaxCellText).toUtf8();
            if (!IsLegalNumber(text.constData()))
                throw static_cast<const char*>(MessageText::kIllegalCharacter);
            m_pValues[i][j] = ParseNumberPrefix(std::string_view(text.constData(), text.size()));
        }
    }
}

void CEntryControlView::WriteCells()
{
    QStringList texts;
    texts.reserve(qsizetype(m_nRows) * m_nCols);
    for (int i = 0; i < m_nRows; ++i)
        for (int j = 0; j < m_nCols; ++j)
            texts.append(QString::fromStdString(FormatCellNumber(m_pValues[i][j])));
    WriteTexts(texts);
}

void CEntryControlView::ShowValues(const CMatrix& values)
{
    KeepValues(values);
    WriteCells();
}

void CEntryControlView::KeepValues(const CMatrix& values)
{
    for (int i = 0; i < m_nRows; ++i)
        for (int j = 0; j < m_nCols; ++j)
            m_pValues[i][j] = values.GetElement(i, j);
}

QStringList CEntryControlView::CellTexts(const CMatrix& values)
{
    QStringList texts;
    texts.reserve(qsizetype(values.m_nRows) * values.m_nCols);
    for (int i = 0; i < values.m_nRows; ++i)
        for (int j = 0; j < values.m_nCols; ++j)
            texts.append(QString::fromStdString(FormatCellNumber(values.GetElement(i, j))));
    return texts;
}

QString CEntryControlView::CellName(int nIndex) const
{
    return QStringLiteral("Row %1, column %2 of object %3")
        .arg(nIndex / m_nCols + 1)
        .arg(nIndex % m_nCols + 1)
        .arg(m_nObjectNumber);
}

void CEntryControlView::WriteTexts(const QStringList& texts)
{
    m_bWritingCells = true;
    for (int k = 0; k < texts.size() && k < m_nRows * m_nCols; ++k)
        m_pCells[k / m_nCols][k % m_nCols]->setText(texts.at(k));
    m_bWritingCells = false;
    FocusFirstCell();
}

void CEntryControlView::InvalidateChildren()
{
    for (int i = 0; i < m_nRows; ++i)
    {
        m_pRowLabels[i]->update();
        for (int j = 0; j < m_nCols; ++j)
            m_pCells[i][j]->update();
    }
    for (int j = 0; j < m_nCols; ++j)
        m_pColLabels[j]->update();
}

void CEntryControlView::Invalidate()
{
    // Every change of the selection comes through here, so screen readers
    // hear of it too.
    const int nSelIndex = SelIndex();
    m_strSelectionText = nSelIndex == 0   ? QStringLiteral("Selected, first operand")
                         : nSelIndex == 1 ? QStringLiteral("Selected, second operand")
                                          : QStringLiteral("Not selected");
    // Left as the first operand, with the other one moving up: the cell
    // being typed into tells that too, until the selection changes again.
    m_strMovedUp.clear();
    if (m_nLastSelIndex == 0 && nSelIndex < 0 && !m_pRegistry->SelectedList().isEmpty())
        m_strMovedUp = QStringLiteral(", object %1 is now the first operand")
                           .arg(m_pRegistry->SelectedList().first()->m_nObjectNumber);
    m_nLastSelIndex = nSelIndex;
    setAccessibleDescription(m_strSelectionText);
    // The window the user is in: its description and selected state; and
    // the cell being typed into, whose new description a screen reader
    // speaks.
    QWidget* pWindow = window();
    pWindow->setAccessibleDescription(m_strSelectionText);
    QAccessible::State selected;
    selected.selected = true;
    QAccessibleStateChangeEvent stateEvent(pWindow, selected);
    QAccessible::updateAccessibility(&stateEvent);
    TellFocusedCell();
    viewport()->update();
    InvalidateChildren();
}

void CEntryControlView::ForgetMovedUp()
{
    m_strMovedUp.clear();
    TellFocusedCell();
}

void CEntryControlView::TellFocusedCell()
{
    // The cell being typed into: a screen reader speaks its new description.
    if (auto* pCell = qobject_cast<CEntryControl*>(window()->focusWidget());
        pCell && pCell->View() == this)
    {
        QAccessibleEvent descriptionEvent(pCell, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&descriptionEvent);
    }
}

void CEntryControlView::FocusFirstCell()
{
    CEntryControl& cell = Cell(0, 0);
    cell.setFocus(Qt::OtherFocusReason);
    cell.selectAll();
    // Also when the cell had the focus already and is scrolled out of view.
    ShowCell(cell);
}

void CEntryControlView::ShowCell(const CEntryControl& cell)
{
    // The cell's place in the grid, against the part of the grid in view. A
    // cell of the first row or column brings the numbers beside it along:
    // its place reaches the grid's edge.
    QRect place = cell.geometry();
    if (cell.Index() < m_nCols)
        place.setTop(0);
    if (cell.Index() % m_nCols == 0)
        place.setLeft(0);
    auto follow = [](QScrollBar* pBar, int nFirst, int nLast, int nShown)
    {
        if (nLast > pBar->value() + nShown - 1)
            pBar->setValue(nLast - nShown + 1);
        else if (nFirst < pBar->value())
            pBar->setValue(nFirst);
    };
    follow(horizontalScrollBar(), place.left(), place.right(), viewport()->width());
    follow(verticalScrollBar(), place.top(), place.bottom(), viewport()->height());
}

QString CEntryControlView::ObjectText() const
{
    QString text;
    for (int i = 0; i < m_nRows; ++i)
    {
        if (i > 0)
            text += QLatin1Char('\n');
        for (int j = 0; j < m_nCols; ++j)
        {
            if (j > 0)
                text += QLatin1Char('\t');
            text += m_pCells[i][j]->text();
        }
    }
    return text;
}

QStringList CEntryControlView::SplitPastedLine(const QString& strLine)
{
    QStringList values;
    if (strLine.contains(QLatin1Char('\t')))
    {
        // Tab-separated, as spreadsheets copy: an empty field is a blank cell.
        values = strLine.split(QLatin1Char('\t'));
        for (QString& value : values)
            value = value.trimmed();
    }
    else
    {
        values = strLine.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        // An empty line is a row of one blank cell, as a one-column object
        // copies it.
        if (values.isEmpty())
            values.append(QString());
    }
    return values;
}

void CEntryControlView::PasteText(const QString& strText, int nRow, int nCol)
{
    if (strText.isEmpty())
        return;
    QString block = strText;
    block.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (block.endsWith(QLatin1Char('\n')))
        block.chop(1);
    const QStringList lines = block.split(QLatin1Char('\n'));
    for (int r = 0; r < lines.size() && nRow + r < m_nRows; ++r)
    {
        const QStringList values = SplitPastedLine(lines.at(r));
        for (int c = 0; c < values.size() && nCol + c < m_nCols; ++c)
            m_pCells[nRow + r][nCol + c]->setText(values.at(c));
    }
}

void CEntryControlView::contextMenuEvent(QContextMenuEvent* pEvent)
{
    // The right click has done its work in mousePressEvent.
    pEvent->accept();
}

void CEntryControlView::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() == Qt::RightButton)
    {
        pEvent->accept();
        OnRButtonDown(0, pEvent->position().toPoint());
        return;
    }
    QScrollArea::mousePressEvent(pEvent);
}

void CEntryControlView::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    // The toolkit reports a quick second press as a double click; for the
    // right button it is a right click like any other, so that selecting and
    // deselecting at speed loses neither.
    if (pEvent->button() == Qt::RightButton)
    {
        mousePressEvent(pEvent);
        return;
    }
    QScrollArea::mouseDoubleClickEvent(pEvent);
}

void CEntryControlView::paintEvent(QPaintEvent* /*pEvent*/)
{
    QPainter painter(viewport());
    OnDraw(&painter);
}

void CEntryControlView::resizeEvent(QResizeEvent* pEvent)
{
    QScrollArea::resizeEvent(pEvent);
    // The scroll area would show or hide its bars for the new ranges only
    // later, through a queued call; setting a policy lays them out at once,
    // so that the bars are right when the window is.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    OnSize(0, width(), height());
}
