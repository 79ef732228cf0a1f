// A seeded run of thousands of random user actions on the real main dialog
// and object windows: creating objects of every size up to the budget and
// past it, typing every kind of text into cells, selecting by right click,
// every button of the dialog, picking entries of the object list, closing
// windows, also while a message box or a file dialog is open. After every
// action the dialog's shared state must hold together and every message box
// must be one of the program's own.
//
// QUINDLE_MONKEY_SEED and QUINDLE_MONKEY_ACTIONS choose another run
// (scripts/monkey.sh); a failure prints the seed and the last actions.
#include "ReliabilitySupport.h"

#include "app/FileDialog.h"
#include "engine/Matrix.h"
#include "platform/NumberText.h"
#include "platform/ProgressWatch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QProgressDialog>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <deque>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>

namespace
{
constexpr std::uint32_t kDefaultSeed = 20240611;
constexpr int kDefaultActions = 3000;
// Pow's exponent stays small, so that no power runs for long.
constexpr double kLargestExponent = 64.0;

// Buttons that act on the selection or on all objects.
const int kOperationButtons[] = {IDC_MAG, IDC_DOT, IDC_CRS, IDC_ANG, IDC_ADD, IDC_SUB,
                                 IDC_MUL, IDC_POW, IDC_TRP, IDC_COF, IDC_ADJ, IDC_INV,
                                 IDC_DET, IDC_TRC, IDC_SLV, IDC_CMP};

std::uint32_t EnvironmentValue(const char* pName, std::uint32_t nDefault)
{
    bool bOk = false;
    const unsigned n = qEnvironmentVariable(pName).toUInt(&bOk);
    return bOk ? n : nDefault;
}

class CMonkey
{
public:
    CMonkey(std::uint32_t nSeed, const QString& folder)
        : m_rng(nSeed), m_folder(folder), m_nSeed(nSeed)
    {
        m_pDlg = std::make_unique<CHollastrinDlg>();
        m_pDlg->Windows().SetRandomSeed(static_cast<std::int32_t>(m_rng() & 0x7fffffff));
        m_pDlg->show();
        for (const char* pText :
             {MessageText::kSelectOne,          MessageText::kOnlyOne,
              MessageText::kSelectTwo,          MessageText::kSelectAnother,
              MessageText::kTwoAlreadySelected, MessageText::kIllegalCharacter,
              MessageText::kSelectDimensions,   MessageText::kBudgetReached,
              MessageText::kDimensionsDiffer,   MessageText::kIdentical,
              MessageText::kNotIdentical,       MessageText::kSolveFirstNotSquare,
              MessageText::kSolveSecondShape,   MessageText::kFileNotOpened,
              MessageText::kOutputNotOpened,    MessageText::kOutputNotWritten,
              EngineText::kIllegalOperation,    EngineText::kVectorPair,
              EngineText::kZeroMagnitude,       EngineText::kUnequalDimensions,
              EngineText::kProductShape,        EngineText::kFirstNotSquare,
              EngineText::kExponentNotInteger,  EngineText::kSelectedNotSquare,
              EngineText::kPivotTooSmall})
        {
            m_knownTexts.insert(QString::fromUtf8(pText));
        }
        // A garbage file and a few object files to load.
        WriteFile(m_folder + "/garbage.bin", QByteArray("\x00\xff\x7f|| 1 1 |", 11));
        WriteFile(m_folder + "/one.txt", "1 1 |\r\n2 |\r\n");
        WriteFile(m_folder + "/wide.txt", "2 3 |\r\n1 2 3 |\r\n4 5 6 |\r\n");

        SetMessageBoxHook([this](const MessageBoxRecord& record) { OnMessageBox(record); });
        SetFileDialogHook([this](FileDialogKind kind) { return OnFileDialog(kind); });

        // A long computation (Pow, Cof, Adj) shows a progress dialog, and
        // while it is up the object windows stay usable. Some actions have it
        // appear at once, so that the user can act meanwhile.
        CProgressWatch::SetShowHook([this](QProgressDialog& dialog) { OnProgressShown(dialog); });
    }

    ~CMonkey()
    {
        SetMessageBoxHook(nullptr);
        SetFileDialogHook(nullptr);
        CProgressWatch::SetShowHook(nullptr);
        CProgressWatch::SetShowDelay(CProgressWatch::kDefaultShowDelay);
    }

    // One random action, then the checks. Returns the fault, or "".
    std::string Step();
    // Ends the dialog with whatever is open: no object window may outlive it.
    std::string Finish();
    std::string Recent() const;
    std::string Figures() const;

private:
    int Uniform(int nLow, int nHigh)
    {
        return std::uniform_int_distribution<int>(nLow, nHigh)(m_rng);
    }
    bool Chance(double dProbability) { return std::bernoulli_distribution(dProbability)(m_rng); }
    void Log(std::string text)
    {
        m_recent.push_back(std::move(text));
        if (m_recent.size() > 40)
            m_recent.pop_front();
    }

    static void WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }

    CEntryControlView* AnyObject()
    {
        const auto& objects = m_pDlg->Registry().ObjectList();
        return objects.isEmpty() ? nullptr : objects.at(Uniform(0, int(objects.size()) - 1));
    }
    static std::string Describe(const CEntryControlView* pView)
    {
        std::ostringstream s;
        s << "object " << pView->Frame()->ObjectNumber() << " (" << pView->m_nRows << " x "
          << pView->m_nCols << ")";
        return s.str();
    }

    int RandomDimension();
    QString RandomText();
    void Press(int nID);

    // The actions.
    void Create(bool bRandom);
    void FillBudget();
    void Type();
    void RightClick();
    static void ClickRight(CEntryControlView* pView);
    // The button given, or any of the operations and Cmp.
    void PressOperation(int nID = 0);
    // Selects one or two objects afresh, as a user about to compute does.
    void SelectAndOperate();
    void PickListEntry();
    void CloseWindow();
    void SaveFile();
    void LoadFile();
    // What a user can do in the object windows while the main dialog is
    // blocked by a message box or a file dialog.
    void ActWhileBlocked(const char* pWhere);

    void OnMessageBox(const MessageBoxRecord& record);
    void OnProgressShown(QProgressDialog& dialog);
    std::optional<QString> OnFileDialog(FileDialogKind kind);

    std::mt19937 m_rng;
    QString m_folder;
    std::uint32_t m_nSeed;
    std::unique_ptr<CHollastrinDlg> m_pDlg;
    // Set when a long power has been asked for: its dialog is cancelled.
    bool m_bMustCancel = false;
    QSet<QString> m_knownTexts;
    std::deque<std::string> m_recent;
    std::string m_fault;

    // Armed by an action: the next message box or file dialog has the user
    // act in the object windows before answering.
    bool m_bActWhileBlocked = false;
    int m_nBlockedDepth = 0;
    // Boxes of this action that reported a refusal (the action itself, not
    // what was done while it was blocked).
    int m_nRefusals = 0;
    bool m_bActedWhileBlocked = false;
    QString m_lastLoadPath;

    // Figures.
    std::map<std::string, int> m_actions;
    std::map<QString, int> m_boxes;
    int m_nObjectsCreated = 0;
    int m_nBlockedActions = 0;
    int m_nProgressShown = 0;
    int m_nProgressCancelled = 0;
    int m_nMaxObjects = 0;
    int m_nMaxCells = 0;
};

int CMonkey::RandomDimension()
{
    // Mostly small, so that the operations find fitting operands.
    const int n = Uniform(0, 9);
    if (n < 6)
        return Uniform(1, 3);
    if (n < 9)
        return Uniform(1, 8);
    return Uniform(1, 20);
}

QString CMonkey::RandomText()
{
    static const char* const kIllegal[] = {"1,5",
                                           " 1",
                                           "1 ",
                                           "abc",
                                           "0x10",
                                           "inf",
                                           "nan",
                                           "NAN",
                                           "INF",
                                           "1d5",
                                           "\t",
                                           "--",
                                           "1_000",
                                           "½",
                                           "\xD9\xA1",
                                           "\xE2\x88\x92"
                                           "1",
                                           "1\xC2\xA0",
                                           "$",
                                           "(1)",
                                           "1/2",
                                           "=",
                                           "E",
                                           "e+"};
    switch (Uniform(0, 11))
    {
    case 0:
    case 1:
    case 2:
        return QString::number(Uniform(-5, 20));
    case 3:
    case 4:
    {
        // Any magnitude, as the cell form shows numbers.
        const double d = std::uniform_real_distribution<double>(-1.0, 1.0)(m_rng) *
                         std::pow(10.0, Uniform(-12, 12));
        return QString::fromStdString(FormatCellNumber(d));
    }
    case 5:
    {
        // Number characters in any order: legal, read by the leading rule.
        static const char kLegal[] = "0123456789.+-eE";
        QString s;
        for (int n = Uniform(1, 8); n > 0; --n)
            s += QLatin1Char(kLegal[Uniform(0, 14)]);
        return s;
    }
    case 6:
    case 7:
        return QString::fromUtf8(kIllegal[Uniform(0, int(std::size(kIllegal)) - 1)]);
    case 8:
        return QString();
    case 9:
    {
        // Very long: only the first 99 characters count, so a bad character
        // later on is not seen.
        QString s(Uniform(100, 3000), QLatin1Char('7'));
        if (Chance(0.5))
            s[Uniform(0, int(s.size()) - 1)] = QLatin1Char(Chance(0.5) ? 'x' : '.');
        return s;
    }
    case 10:
    {
        static const char* const kExtreme[] = {"1e308",
                                               "-1e308",
                                               "1e400",
                                               "-1e400",
                                               "1e-320",
                                               "4.9e-324",
                                               "-0",
                                               "1.7976931348623157e308",
                                               "0.000000000000000000001"};
        return QString::fromUtf8(kExtreme[Uniform(0, int(std::size(kExtreme)) - 1)]);
    }
    default:
        return QString::number(Uniform(0, 9)) + QLatin1Char('.') + QString::number(Uniform(0, 99));
    }
}

void CMonkey::Press(int nID)
{
    auto* pButton = qobject_cast<QAbstractButton*>(m_pDlg->GetDlgItem(nID));
    if (!pButton)
    {
        m_fault = "no button " + std::to_string(nID);
        return;
    }
    pButton->click();
}

void CMonkey::Create(bool bRandom)
{
    // Now and then a list is left without a choice.
    const int nRows = Chance(0.03) ? 0 : RandomDimension();
    const int nCols = Chance(0.03) ? 0 : RandomDimension();
    m_pDlg->RowsBox()->setCurrentIndex(nRows - 1);
    m_pDlg->ColsBox()->setCurrentIndex(nCols - 1);
    Log(std::string(bRandom ? "random " : "zeroed ") + std::to_string(nRows) + " x " +
        std::to_string(nCols));
    Press(bRandom ? IDC_RANDOM_OBJECT : IDC_ZEROED_OBJECT);
}

void CMonkey::FillBudget()
{
    Log("fill the budget with 20 x 20 objects");
    m_pDlg->RowsBox()->setCurrentIndex(19);
    m_pDlg->ColsBox()->setCurrentIndex(19);
    for (int k = 0; k < 13 && m_fault.empty(); ++k)
        Press(Chance(0.5) ? IDC_RANDOM_OBJECT : IDC_ZEROED_OBJECT);
}

void CMonkey::Type()
{
    CEntryControlView* pView = AnyObject();
    if (!pView)
        return;
    const int i = Uniform(0, pView->m_nRows - 1);
    const int j = Uniform(0, pView->m_nCols - 1);
    const QString text = RandomText();
    Log("type \"" + text.left(20).toStdString() + (text.size() > 20 ? "...\"" : "\"") + " into " +
        Describe(pView) + " cell " + std::to_string(i) + "," + std::to_string(j));
    CEntryControl& cell = pView->Cell(i, j);
    // QTest types printable ASCII only.
    const bool bAscii = std::all_of(text.cbegin(), text.cend(),
                                    [](QChar c) { return c.unicode() > 32 && c.unicode() < 127; });
    if (text.size() < 12 && bAscii && Chance(0.3))
    {
        // Real key strokes into the cell.
        cell.setFocus();
        cell.selectAll();
        QTest::keyClicks(&cell, text);
        if (text.isEmpty())
            QTest::keyClick(&cell, Qt::Key_Delete);
    }
    else
    {
        cell.setText(text);
    }
}

void CMonkey::RightClick()
{
    CEntryControlView* pView = AnyObject();
    if (!pView)
        return;
    if (!Chance(0.25) && Chance(0.1))
    {
        Log("Ctrl+Space in " + Describe(pView));
        Activate(pView->Frame());
        // As with the click below: the box the key may show can outlive
        // the cell that had the focus.
        QPointer<QWidget> pFocus = QApplication::focusWidget();
        QTest::keyPress(pFocus ? pFocus.data() : pView->Frame(), Qt::Key_Space,
                        Qt::ControlModifier);
        if (pFocus)
            QTest::keyRelease(pFocus, Qt::Key_Space, Qt::ControlModifier);
    }
    else
    {
        Log("right click on " + Describe(pView));
        ClickRight(pView);
    }
}

void CMonkey::ClickRight(CEntryControlView* pView)
{
    // The press may show a box, during which the window may be closed: the
    // release then goes nowhere.
    QPointer<QWidget> pViewport = pView->viewport();
    QTest::mousePress(pViewport, Qt::RightButton, {}, QPoint(2, 2));
    if (pViewport)
        QTest::mouseRelease(pViewport, Qt::RightButton, {}, QPoint(2, 2));
}

void CMonkey::PressOperation(int nID)
{
    if (nID == 0)
        nID = kOperationButtons[Uniform(0, int(std::size(kOperationButtons)) - 1)];
    const auto& selected = m_pDlg->Registry().SelectedList();
    if (nID == IDC_POW && selected.size() == 2 && selected.at(1)->m_nRows == 1 &&
        selected.at(1)->m_nCols == 1)
    {
        // A user who wants an answer soon types a small exponent.
        CEntryControl& cell = selected.at(1)->Cell(0, 0);
        const std::string text = cell.text().left(99).toStdString();
        if (Chance(0.1))
        {
            // A power that would run for hours: its progress dialog is
            // cancelled as soon as it shows.
            cell.setText(QStringLiteral("1000000000"));
            Log("type exponent 1000000000");
            m_bMustCancel = true;
            CProgressWatch::SetShowDelay(std::chrono::milliseconds(0));
        }
        else if (IsLegalNumberText(text) && ParseNumberPrefix(text) > kLargestExponent)
        {
            const QString small = QString::number(Uniform(1, 9));
            Log("type exponent " + small.toStdString());
            cell.setText(small);
        }
    }
    const QString label = static_cast<QAbstractButton*>(m_pDlg->GetDlgItem(nID))->text();
    Log("press " + label.toStdString() + " with " + std::to_string(selected.size()) + " selected");
    const bool bTwoSelected = selected.size() == 2;
    Press(nID);
    // Every command that finds two objects selected ends with none.
    if (bTwoSelected && !m_pDlg->Registry().SelectedList().isEmpty())
        m_fault = "the selection was not cleared";
}

void CMonkey::SelectAndOperate()
{
    while (!m_pDlg->Registry().SelectedList().isEmpty() && m_fault.empty())
    {
        Log("deselect " + Describe(m_pDlg->Registry().SelectedList().last()));
        ClickRight(m_pDlg->Registry().SelectedList().last());
    }
    // Often the operands of a long computation: a square matrix, and for
    // Pow a 1 x 1 exponent.
    QList<CEntryControlView*> square;
    QList<CEntryControlView*> scalars;
    for (CEntryControlView* pView : m_pDlg->Registry().ObjectList())
    {
        if (pView->m_nRows == pView->m_nCols && pView->m_nRows > 1)
            square.append(pView);
        if (pView->m_nRows == 1 && pView->m_nCols == 1)
            scalars.append(pView);
    }
    if (!square.isEmpty() && Chance(0.4))
    {
        CEntryControlView* pBase = square.at(Uniform(0, int(square.size()) - 1));
        Log("right click on " + Describe(pBase));
        ClickRight(pBase);
        if (!scalars.isEmpty() && Chance(0.5))
        {
            CEntryControlView* pExponent = scalars.at(Uniform(0, int(scalars.size()) - 1));
            Log("right click on " + Describe(pExponent));
            ClickRight(pExponent);
            PressOperation(IDC_POW);
        }
        else
        {
            PressOperation(Chance(0.5) ? IDC_COF : IDC_ADJ);
        }
        return;
    }
    for (int n = Uniform(1, 2); n > 0 && m_fault.empty(); --n)
        RightClick();
    if (m_fault.empty())
        PressOperation();
}

void CMonkey::PickListEntry()
{
    QListWidget* pList = m_pDlg->ObjectListBox();
    if (pList->count() == 0)
        return;
    const int k = Uniform(0, pList->count() - 1);
    QListWidgetItem* pItem = pList->item(k);
    if (Chance(0.5))
    {
        Log("click list entry " + pItem->text().toStdString());
        pList->scrollToItem(pItem);
        QTest::mouseClick(pList->viewport(), Qt::LeftButton, {},
                          pList->visualItemRect(pItem).center());
    }
    else
    {
        Log("pick list entry " + pItem->text().toStdString());
        pItem->setSelected(true);
    }
    for (int n = 0; n < pList->count(); ++n)
        if (pList->item(n)->isSelected())
            m_fault = "the object list keeps a selected entry";
}

void CMonkey::CloseWindow()
{
    CEntryControlView* pView = AnyObject();
    if (!pView)
        return;
    Log("close " + Describe(pView));
    pView->Frame()->close();
}

void CMonkey::SaveFile()
{
    Log("press File Save with " + std::to_string(m_pDlg->Registry().SelectedList().size()) +
        " selected");
    Press(IDC_FILE_SAVE);
}

void CMonkey::LoadFile()
{
    Log("press File Load");
    Press(IDC_FILE_LOAD);
}

std::optional<QString> CMonkey::OnFileDialog(FileDialogKind kind)
{
    ++m_nBlockedDepth;
    if (std::exchange(m_bActWhileBlocked, false))
        ActWhileBlocked("file dialog");
    --m_nBlockedDepth;
    if (Chance(0.1))
    {
        Log("  cancel the file dialog");
        return std::nullopt;
    }
    QString path;
    if (kind == FileDialogKind::Save)
    {
        static const char* const kNames[] = {"a.txt", "b.txt", "c.txt", "missing/d.txt", ""};
        path = m_folder + QLatin1Char('/') + QLatin1String(kNames[Uniform(0, 4)]);
    }
    else
    {
        QStringList files = QDir(m_folder).entryList(QDir::Files, QDir::Name);
        files.append(QStringLiteral("vanished.txt"));
        path = m_folder + QLatin1Char('/') + files.at(Uniform(0, int(files.size()) - 1));
        m_lastLoadPath = path;
    }
    Log("  choose " + QDir(m_folder).relativeFilePath(path).toStdString());
    return path;
}

void CMonkey::ActWhileBlocked(const char* pWhere)
{
    m_bActedWhileBlocked = true;
    for (int n = Uniform(1, 3); n > 0; --n)
    {
        ++m_nBlockedActions;
        Log(std::string("  while the ") + pWhere + " is open:");
        switch (Uniform(0, 3))
        {
        case 0:
        case 1:
            CloseWindow();
            break;
        case 2:
            RightClick();
            break;
        default:
            Type();
            break;
        }
        // The box's own event loop would delete the closed window now.
        ProcessDeferredDeletes();
    }
}

void CMonkey::OnMessageBox(const MessageBoxRecord& record)
{
    Log("  box: " + record.text.left(60).toStdString());
    ++m_boxes[record.text.startsWith(QLatin1String("Error reading file "))
                  ? QStringLiteral("Error reading file ... - check format.")
                  : record.text];
    const bool bKnown = m_knownTexts.contains(record.text) ||
                        record.text == QString::fromUtf8(MessageText::kFileFormat)
                                           .replace(QLatin1String("%s"), m_lastLoadPath);
    if (!bKnown)
        m_fault = "unknown message box: " + record.text.toStdString();
    if (record.caption != QLatin1String("Quindle"))
        m_fault = "message box caption " + record.caption.toStdString();
    const bool bResult = record.text == QLatin1String(MessageText::kIdentical) ||
                         record.text == QLatin1String(MessageText::kNotIdentical);
    if ((record.icon == MessageIcon::Information) != bResult)
        m_fault = "wrong icon for " + record.text.toStdString();
    if (m_nBlockedDepth == 0 && !bResult)
        ++m_nRefusals;

    ++m_nBlockedDepth;
    if (m_nBlockedDepth == 1 && std::exchange(m_bActWhileBlocked, false))
        ActWhileBlocked("message box");
    --m_nBlockedDepth;
}

void CMonkey::OnProgressShown(QProgressDialog& dialog)
{
    ++m_nProgressShown;
    Log("  progress dialog: " + dialog.labelText().toStdString());
    if (dialog.parentWidget() != m_pDlg.get() || dialog.windowModality() != Qt::WindowModal)
        m_fault = "the progress dialog is not window-modal to the main dialog";
    ++m_nBlockedDepth;
    if (std::exchange(m_bActWhileBlocked, false) || Chance(0.3))
        ActWhileBlocked("progress dialog");
    --m_nBlockedDepth;
    if (std::exchange(m_bMustCancel, false) || Chance(0.3))
    {
        Log("  cancel the computation");
        ++m_nProgressCancelled;
        dialog.cancel();
    }
}

std::string CMonkey::Step()
{
    m_fault.clear();
    m_nRefusals = 0;
    m_bActedWhileBlocked = false;
    const int nNextBefore = m_pDlg->Registry().NextObjectNumber();
    QSet<int> numbersBefore;
    for (const CEntryControlView* pView : m_pDlg->Registry().ObjectList())
        numbersBefore.insert(pView->Frame()->ObjectNumber());

    // Sometimes the user goes on working in the object windows while the
    // next box, file dialog or progress dialog of this action is open.
    m_bActWhileBlocked = Chance(0.12);
    m_bMustCancel = false;
    CProgressWatch::SetShowDelay(Chance(0.3) ? std::chrono::milliseconds(0)
                                             : CProgressWatch::kDefaultShowDelay);

    const int nCells = m_pDlg->Registry().EditControlCount();
    int nChoice = Uniform(0, 99);
    // Many open objects make closing likelier, as a user would.
    if (m_pDlg->Registry().ObjectList().size() > 40 && nChoice < 30)
        nChoice = 88;
    std::string kind;
    if (nChoice < 10)
        Create(false), kind = "create zeroed";
    else if (nChoice < 18)
        Create(true), kind = "create random";
    else if (nChoice < 19 && nCells < 1000)
        FillBudget(), kind = "fill the budget";
    else if (nChoice < 38)
        Type(), kind = "type into a cell";
    else if (nChoice < 56)
        RightClick(), kind = "select";
    else if (nChoice < 70)
        PressOperation(), kind = "operation";
    else if (nChoice < 78)
        SelectAndOperate(), kind = "select two and operate";
    else if (nChoice < 80)
        Log("press Close All Objects"), Press(IDC_CLOSE_ALL_OBJECTS), kind = "close all";
    else if (nChoice < 84)
        SaveFile(), kind = "file save";
    else if (nChoice < 88)
        LoadFile(), kind = "file load";
    else if (nChoice < 92)
        PickListEntry(), kind = "pick list entry";
    else
        CloseWindow(), kind = "close a window";
    ++m_actions[kind];
    m_bActWhileBlocked = false;
    ProcessDeferredDeletes();
    if (Chance(0.05))
        QApplication::processEvents();

    if (!m_fault.empty())
        return m_fault;
    std::string fault = CheckDialogState(*m_pDlg);
    if (!fault.empty())
        return fault;
    if (QWidget* pModal = QApplication::activeModalWidget())
        return "a modal window is still open: " + pModal->windowTitle().toStdString();

    // New objects take the next numbers, one each; a refused request (a box
    // of the action itself) opens nothing.
    int nNew = 0;
    for (const CEntryControlView* pView : m_pDlg->Registry().ObjectList())
    {
        const int nNumber = pView->Frame()->ObjectNumber();
        if (numbersBefore.contains(nNumber))
            continue;
        ++nNew;
        if (nNumber < nNextBefore)
            return "object " + std::to_string(nNumber) + " appeared with an old number";
    }
    if (m_pDlg->Registry().NextObjectNumber() - nNextBefore != nNew && !m_bActedWhileBlocked)
        return std::to_string(m_pDlg->Registry().NextObjectNumber() - nNextBefore) +
               " numbers used for " + std::to_string(nNew) + " new objects";
    if (m_nRefusals > 0 && nNew > 0 && kind != "fill the budget")
        return "a refused request opened an object";
    m_nObjectsCreated += m_pDlg->Registry().NextObjectNumber() - nNextBefore;
    m_nMaxObjects = std::max(m_nMaxObjects, int(m_pDlg->Registry().ObjectList().size()));
    m_nMaxCells = std::max(m_nMaxCells, m_pDlg->Registry().EditControlCount());
    return {};
}

std::string CMonkey::Finish()
{
    Log("end the dialog with " + std::to_string(m_pDlg->Registry().ObjectList().size()) +
        " objects open");
    m_pDlg.reset();
    ProcessDeferredDeletes();
    for (QWidget* pWidget : QApplication::topLevelWidgets())
        if (qobject_cast<CObjectFrame*>(pWidget))
            return "an object window outlived the dialog";
    return {};
}

std::string CMonkey::Recent() const
{
    std::string text;
    for (const std::string& line : m_recent)
        text += "    " + line + "\n";
    return text;
}

std::string CMonkey::Figures() const
{
    std::ostringstream s;
    s << "seed " << m_nSeed << ": " << m_nObjectsCreated << " objects created (at most "
      << m_nMaxObjects << " open, " << m_nMaxCells << " cells), " << m_nBlockedActions
      << " actions while a box or a file or progress dialog was open, " << m_nProgressShown
      << " progress dialogs shown, " << m_nProgressCancelled << " cancelled\n  actions:";
    for (const auto& [kind, n] : m_actions)
        s << " " << kind << " " << n << ";";
    s << "\n  message boxes:";
    for (const auto& [text, n] : m_boxes)
        s << "\n    " << n << " x " << text.toStdString();
    return s.str();
}

TEST(Monkey, RandomActionsKeepTheDialogConsistent)
{
    const std::uint32_t nSeed = EnvironmentValue("QUINDLE_MONKEY_SEED", kDefaultSeed);
    const int nActions = int(EnvironmentValue("QUINDLE_MONKEY_ACTIONS", kDefaultActions));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    CMonkey monkey(nSeed, folder.path());
    for (int n = 1; n <= nActions; ++n)
    {
        const std::string fault = monkey.Step();
        ASSERT_EQ(fault, "") << "seed " << nSeed << ", action " << n << "; the last actions:\n"
                             << monkey.Recent();
    }
    ASSERT_EQ(monkey.Finish(), "") << "seed " << nSeed;
    std::cout << nActions << " actions, " << monkey.Figures() << "\n";
}
// Found by the random run: a real right press on a third object shows a box,
// and the user closes that very window while the box is open (the box's event
// loop deletes it at once). The press must not touch the view afterwards.
using MonkeyRegressionTest = ReliabilityTest;

TEST_F(MonkeyRegressionTest, WindowClosedWhileItsOwnRightClickBoxIsOpen)
{
    CEntryControlView* p1 = Zeroed(1, 1);
    CEntryControlView* p2 = Zeroed(2, 2);
    CEntryControlView* p3 = Zeroed(3, 3);
    RightClick(p1);
    RightClick(p2);
    m_whileBoxOpen = [&]
    {
        p3->Frame()->close();
        ProcessDeferredDeletes();
    };
    QPointer<QWidget> pViewport = p3->viewport();
    QTest::mousePress(pViewport, Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_TRUE(pViewport.isNull());
    EXPECT_EQ(m_messages, QStringList{MessageText::kTwoAlreadySelected});
    EXPECT_EQ(CheckDialogState(*m_pDlg), "");
    EXPECT_EQ(m_pDlg->Registry().SelectedList(), (QList<CEntryControlView*>{p1, p2}));
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 5);

    // The same with a selected window closed: the other stays selected as
    // entry 0, and the view pressed is not selected.
    CEntryControlView* p4 = Zeroed(1, 2);
    m_messages.clear();
    m_whileBoxOpen = [&]
    {
        p1->Frame()->close();
        ProcessDeferredDeletes();
    };
    QTest::mouseClick(p4->viewport(), Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_EQ(m_messages, QStringList{MessageText::kTwoAlreadySelected});
    EXPECT_EQ(CheckDialogState(*m_pDlg), "");
    EXPECT_EQ(m_pDlg->Registry().SelectedList(), QList<CEntryControlView*>{p2});
    EXPECT_EQ(p2->SelIndex(), 0);
    EXPECT_EQ(p4->IsSelected(), 0);
}
} // namespace
