// The object windows' factory, and the objects that come back: from a kept
// session or from the windows closed in this run.
#include "app/ObjectWindows.h"

#include "engine/Matrix.h"
#include "objects/EntryControl.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectFrame.h"
#include "objects/ObjectRegistry.h"
#include "platform/FileNames.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"
#include "platform/WindowRules.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace
{
// The cells of the closings kept for Ctrl+Shift+T: twice all that can be
// open at once. Older closings are forgotten.
constexpr std::size_t kMaxClosedCells = 2 * kMaxEditControls;

// Where a window of that size shows whole: its place when a screen shows
// its top-left corner, else moved onto the screen nearest to it, as far as
// it takes to show it whole (its top-left corner first).
QPoint OnScreen(const QPoint& place, const QSize& size)
{
    QScreen* pScreen = QGuiApplication::screenAt(place);
    if (!pScreen)
    {
        pScreen = QGuiApplication::primaryScreen();
        int nBest = -1;
        for (QScreen* pCandidate : QGuiApplication::screens())
        {
            const QRect area = pCandidate->availableGeometry();
            const int nDistance = (area.center() - place).manhattanLength();
            if (nBest < 0 || nDistance < nBest)
            {
                nBest = nDistance;
                pScreen = pCandidate;
            }
        }
    }
    if (!pScreen)
        return place;
    const QRect area = pScreen->availableGeometry();
    const int x = std::max(area.left(), std::min(place.x(), area.right() + 1 - size.width()));
    const int y = std::max(area.top(), std::min(place.y(), area.bottom() + 1 - size.height()));
    return QPoint(x, y);
}
} // namespace

CObjectWindows::CObjectWindows(CObjectRegistry& registry, QObject* pParent)
    : QObject(pParent), m_Registry(registry)
{
    connect(&m_Registry, &CObjectRegistry::objectLeaving, this, &CObjectWindows::KeepClosedObject);
}

void CObjectWindows::CheckBudget(int nCells) const
{
    if (nCells + m_Registry.EditControlCount() > kMaxEditControls)
        throw static_cast<const char*>(MessageText::kBudgetReached);
}

CEntryControlView* CObjectWindows::Open(const QString& strName, const QString& strSuffix, int nRows,
                                        int nCols, const QStringList& texts)
{
    CheckBudget(nRows * nCols);
    // The window deletes itself when closed; close-all and the dialog's end
    // delete those still open. Its cells are made with their texts and the
    // window shows only then: written into a shown window, each text would
    // be laid out twice, repainted and announced.
    auto* pFrame = new CObjectFrame(&m_Registry, strName, strSuffix, nRows, nCols, texts);
    pFrame->showNormal();
    return pFrame->View();
}

CEntryControlView* CObjectWindows::OpenBlank(int nRows, int nCols)
{
    return Open(QString(), QString(), nRows, nCols);
}

CEntryControlView* CObjectWindows::OpenRandom(int nRows, int nCols)
{
    // Refused before the sequence moves on.
    CheckBudget(nRows * nCols);
    CRandomGenerator random;
    random.Seed(static_cast<std::uint32_t>(m_nRandomSeed));
    CMatrix values(nRows, nCols);
    for (int i = 0; i < nRows; ++i)
        for (int j = 0; j < nCols; ++j)
            values.SetElement(i, j, random.Next() / 32767.0);
    m_nRandomSeed = random.Next();
    return OpenFilled(values, QString());
}

CEntryControlView* CObjectWindows::OpenFilled(const CMatrix& values, const QString& strName,
                                              const QString& strSuffix)
{
    CEntryControlView* pView = Open(strName, strSuffix, values.m_nRows, values.m_nCols,
                                    CEntryControlView::CellTexts(values));
    pView->KeepValues(values);
    return pView;
}

void CObjectWindows::BringForward(int k)
{
    if (k < 0 || k >= m_Registry.ObjectList().size())
        return;
    CObjectFrame* pFrame = m_Registry.ObjectList().at(k)->Frame();
    if (IsWaylandPlatform())
    {
        BringForwardOnWayland(pFrame);
    }
    else
    {
        if (pFrame->isMinimized())
            pFrame->showNormal();
        pFrame->raise();
        pFrame->activateWindow();
    }
    pFrame->OnSetFocus();
}

void CObjectWindows::CloseAll()
{
    // One closing to undo: the windows join one group.
    if (m_bKeepClosed && !m_Registry.ObjectList().isEmpty())
        m_ClosedObjects.emplace_back();
    const bool bGrouped = std::exchange(m_bGroupClosed, true);
    while (!m_Registry.ObjectList().isEmpty())
    {
        // Deleting the window takes its view out of every list first.
        delete m_Registry.ObjectList().last()->Frame();
    }
    m_bGroupClosed = bGrouped;
}

namespace
{
// Everything of the object but its cells' texts.
KeptObject CaptureFrame(const CEntryControlView& view)
{
    const CObjectFrame& frame = *view.Frame();
    KeptObject object;
    object.nNumber = frame.ObjectNumber();
    object.nRows = view.m_nRows;
    object.nCols = view.m_nCols;
    object.nX = frame.pos().x();
    object.nY = frame.pos().y();
    // New, random and loaded objects are named by their number.
    if (frame.Name() != QString::number(frame.ObjectNumber()))
        object.strName = frame.Name().toStdString();
    // A loaded object's path, with every byte of the file's name.
    object.strSuffix = FileNameBytes(frame.Suffix());
    return object;
}
} // namespace

KeptObject CObjectWindows::CaptureObject(const CEntryControlView& view)
{
    KeptObject object = CaptureFrame(view);
    object.cells.reserve(std::size_t(view.m_nRows) * std::size_t(view.m_nCols));
    for (int i = 0; i < view.m_nRows; ++i)
        for (int j = 0; j < view.m_nCols; ++j)
            object.cells.push_back(view.Cell(i, j).text().toStdString());
    return object;
}

KeptSession CObjectWindows::CaptureSession() const
{
    KeptSession session;
    session.nNextObjectNumber = m_Registry.NextObjectNumber();
    for (const CEntryControlView* pView : m_Registry.ObjectList())
        session.objects.push_back(CaptureObject(*pView));
    for (const CEntryControlView* pView : m_Registry.SelectedList())
        session.selection.push_back(pView->Frame()->ObjectNumber());
    return session;
}

CEntryControlView* CObjectWindows::RestoreObject(const KeptObject& object, int nNextNumber)
{
    QStringList texts;
    texts.reserve(qsizetype(object.cells.size()));
    for (const std::string& text : object.cells)
        texts.append(QString::fromStdString(text));
    return Restore(object, texts, nNextNumber);
}

CEntryControlView* CObjectWindows::Restore(const KeptObject& object, const QStringList& texts,
                                           int nNextNumber)
{
    CheckBudget(object.nRows * object.nCols);
    if (m_Registry.ListIndexOfNumber(object.nNumber) >= 0)
        return nullptr;
    m_Registry.ReuseNumber(object.nNumber, nNextNumber);
    // The window deletes itself when closed, as every object window does;
    // its cells hold their texts before it shows.
    auto* pFrame =
        new CObjectFrame(&m_Registry, QString::fromStdString(object.strName),
                         FileNameFromBytes(object.strSuffix), object.nRows, object.nCols, texts);
    pFrame->move(OnScreen(QPoint(object.nX, object.nY), pFrame->frameGeometry().size()));
    pFrame->showNormal();
    return pFrame->View();
}

int CObjectWindows::RestoreSession(const KeptSession& session)
{
    int nOpened = 0;
    for (const KeptObject& object : session.objects)
    {
        try
        {
            if (RestoreObject(object, session.nNextObjectNumber))
                ++nOpened;
        }
        catch (const char*)
        {
            // Past the budget beside the objects open already: left out.
        }
    }
    for (const int nNumber : session.selection)
    {
        const int k = m_Registry.ListIndexOfNumber(nNumber);
        if (k >= 0 && !m_Registry.ObjectList().at(k)->IsSelected())
            m_Registry.ToggleSelection(m_Registry.ObjectList().at(k));
    }
    return nOpened;
}

void CObjectWindows::KeepClosedObject(CEntryControlView* pView)
{
    if (!m_bKeepClosed)
        return;
    if (!m_bGroupClosed || m_ClosedObjects.empty())
        m_ClosedObjects.emplace_back();
    // Newest first within a group: reopened, they come back oldest first.
    // The texts are the cells' own strings, shared: nothing is converted
    // until they are written into cells again.
    SClosedObject closed{CaptureFrame(*pView), {}};
    closed.texts.reserve(qsizetype(pView->m_nRows) * pView->m_nCols);
    for (int i = 0; i < pView->m_nRows; ++i)
        for (int j = 0; j < pView->m_nCols; ++j)
            closed.texts.append(pView->Cell(i, j).text());
    std::vector<SClosedObject>& group = m_ClosedObjects.back();
    group.insert(group.begin(), std::move(closed));
    std::size_t nCells = 0;
    for (const std::vector<SClosedObject>& closing : m_ClosedObjects)
        for (const SClosedObject& object : closing)
            nCells += std::size_t(object.texts.size());
    while (nCells > kMaxClosedCells && m_ClosedObjects.size() > 1)
    {
        for (const SClosedObject& object : m_ClosedObjects.front())
            nCells -= std::size_t(object.texts.size());
        m_ClosedObjects.erase(m_ClosedObjects.begin());
    }
}

void CObjectWindows::ReopenClosed()
{
    if (m_ClosedObjects.empty())
    {
        QApplication::beep();
        return;
    }
    std::vector<SClosedObject> group = std::move(m_ClosedObjects.back());
    m_ClosedObjects.pop_back();
    std::vector<SClosedObject> unopened;
    for (SClosedObject& closed : group)
    {
        try
        {
            Restore(closed.object, closed.texts, 1);
        }
        catch (const char*)
        {
            unopened.push_back(std::move(closed));
        }
    }
    if (unopened.empty())
        return;
    // What did not fit stays the next to reopen.
    m_ClosedObjects.push_back(std::move(unopened));
    AppMessageBox(MessageText::kBudgetReached);
}

void CObjectWindows::CloseAllUnkept()
{
    const bool bKeep = std::exchange(m_bKeepClosed, false);
    CloseAll();
    m_bKeepClosed = bKeep;
    // Their numbers may come back with other objects now.
    m_ClosedObjects.clear();
}
