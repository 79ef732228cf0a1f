// The fifteen operation commands: selection rules, results and messages.
#include "WindowTest.h"

#include "engine/Matrix.h"

#include <QPointer>

namespace
{
using Handler = void (CHollastrinDlg::*)();

// A command and its operands: sizes and cells (row by row) of each.
struct TwoOperands
{
    Handler handler;
    int nRows1, nCols1;
    QStringList cells1;
    int nRows2, nCols2;
    QStringList cells2;
};

// A command with operands it accepts (cells row by row).
struct CommandCase
{
    const char* pName;
    Handler handler;
    int nOperands;
    int nRows1, nCols1;
    QStringList cells1;
    int nRows2 = 0, nCols2 = 0;
    QStringList cells2 = {};
};

void PrintTo(const CommandCase& c, std::ostream* os)
{
    *os << c.pName;
}

const CommandCase kCommands[] = {
    {"Mag", &CHollastrinDlg::OnMag, 1, 1, 2, {"3", "4"}},
    {"Trp", &CHollastrinDlg::OnTrp, 1, 2, 2, {"1", "2", "3", "4"}},
    {"Cof", &CHollastrinDlg::OnCof, 1, 2, 2, {"1", "2", "3", "4"}},
    {"Adj", &CHollastrinDlg::OnAdj, 1, 2, 2, {"1", "2", "3", "4"}},
    {"Inv", &CHollastrinDlg::OnInv, 1, 2, 2, {"1", "2", "3", "4"}},
    {"Det", &CHollastrinDlg::OnDet, 1, 2, 2, {"1", "2", "3", "4"}},
    {"Trc", &CHollastrinDlg::OnTrc, 1, 2, 2, {"1", "2", "3", "4"}},
    {"Dot", &CHollastrinDlg::OnDot, 2, 1, 3, {"1", "2", "3"}, 1, 3, {"4", "5", "6"}},
    {"Crs", &CHollastrinDlg::OnCrs, 2, 1, 3, {"1", "2", "3"}, 1, 3, {"4", "5", "6"}},
    {"Ang", &CHollastrinDlg::OnAng, 2, 1, 3, {"1", "2", "3"}, 1, 3, {"4", "5", "6"}},
    {"Add", &CHollastrinDlg::OnAdd, 2, 2, 2, {"1", "2", "3", "4"}, 2, 2, {"5", "6", "7", "8"}},
    {"Sub", &CHollastrinDlg::OnSub, 2, 2, 2, {"1", "2", "3", "4"}, 2, 2, {"5", "6", "7", "8"}},
    {"Mul", &CHollastrinDlg::OnMul, 2, 2, 2, {"1", "2", "3", "4"}, 2, 2, {"5", "6", "7", "8"}},
    {"Pow", &CHollastrinDlg::OnPow, 2, 2, 2, {"1", "2", "3", "4"}, 1, 1, {"2"}},
    {"Slv", &CHollastrinDlg::OnSlv, 2, 2, 2, {"1", "2", "3", "4"}, 2, 1, {"5", "6"}},
};

class EveryCommandTest : public CommandsTest, public ::testing::WithParamInterface<CommandCase>
{
protected:
    void Run() { (m_pDlg.get()->*GetParam().handler)(); }
    QString Prefix() const { return QString::fromUtf8(GetParam().pName) + '('; }
    void MakeOperands()
    {
        const CommandCase& c = GetParam();
        m_pFirst = Zeroed(c.nRows1, c.nCols1, c.cells1);
        m_pSecond = c.nOperands == 2 ? Zeroed(c.nRows2, c.nCols2, c.cells2) : Zeroed(1, 1, {"7"});
    }
    CEntryControlView* m_pFirst = nullptr;
    CEntryControlView* m_pSecond = nullptr;
};

TEST_P(EveryCommandTest, NothingSelectedChangesNothing)
{
    MakeOperands();
    Run();
    const char* pExpected =
        GetParam().nOperands == 1 ? MessageText::kSelectOne : MessageText::kSelectTwo;
    EXPECT_EQ(m_messages, QStringList{pExpected});
    EXPECT_EQ(ObjectCount(), 2);
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
}

TEST_P(EveryCommandTest, WrongCountOfSelectedObjects)
{
    MakeOperands();
    if (GetParam().nOperands == 1)
    {
        // Two selected for a one-object command: refused, both cleared.
        RightClick(m_pFirst);
        RightClick(m_pSecond);
        Run();
        EXPECT_EQ(m_messages, QStringList{MessageText::kOnlyOne});
        EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
        EXPECT_EQ(m_pFirst->IsSelected() + m_pSecond->IsSelected(), 0);
    }
    else
    {
        // One selected for a two-object command: it stays selected.
        RightClick(m_pFirst);
        Run();
        EXPECT_EQ(m_messages, QStringList{MessageText::kSelectAnother});
        EXPECT_EQ(m_pDlg->Registry().SelectedList(), QList<CEntryControlView*>{m_pFirst});
        EXPECT_EQ(m_pFirst->IsSelected(), 1);
    }
    EXPECT_EQ(ObjectCount(), 2);
}

TEST_P(EveryCommandTest, ResultIsNamedAfterItsOperandsAndClearsTheSelection)
{
    MakeOperands();
    RightClick(m_pFirst);
    if (GetParam().nOperands == 2)
        RightClick(m_pSecond);
    Run();
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
    ASSERT_EQ(ObjectCount(), 3);
    const QString expected = GetParam().nOperands == 1 ? Prefix() + "1)" : Prefix() + "1,2)";
    EXPECT_EQ(Name(LastObject()), expected);
    EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), 4);
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    EXPECT_EQ(m_pFirst->IsSelected() + m_pSecond->IsSelected(), 0);
}

TEST_P(EveryCommandTest, IllegalCellOpensNothingAndClearsTheSelection)
{
    MakeOperands();
    m_pFirst->Cell(0, 0).setText("1,5");
    RightClick(m_pFirst);
    if (GetParam().nOperands == 2)
        RightClick(m_pSecond);
    Run();
    EXPECT_EQ(m_messages, QStringList{MessageText::kIllegalCharacter});
    EXPECT_EQ(ObjectCount(), 2);
    EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), 3);
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    // The cells are never changed by a command.
    EXPECT_EQ(m_pFirst->Cell(0, 0).text(), "1,5");
}

INSTANTIATE_TEST_SUITE_P(Commands, EveryCommandTest, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.pName); });

// Values shown in the result cells.
using ResultValuesTest = CommandsTest;

TEST_F(ResultValuesTest, OneObjectCommands)
{
    struct Case
    {
        Handler handler;
        int nRows, nCols;
        QStringList cells;
        int nResultRows, nResultCols;
        QStringList result;
    };
    // clang-format off
    const Case cases[] = {
        {&CHollastrinDlg::OnMag, 1, 2, {"3", "4"}, 1, 1, {"5"}},
        {&CHollastrinDlg::OnMag, 3, 1, {"2", "", "0"}, 1, 1, {"2"}},
        {&CHollastrinDlg::OnTrp, 2, 3, {"1", "2", "3", "4", "5", "6"}, 3, 2, {"1", "4", "2", "5", "3", "6"}},
        {&CHollastrinDlg::OnCof, 2, 2, {"1", "2", "3", "4"}, 2, 2, {"4", "-3", "-2", "1"}},
        {&CHollastrinDlg::OnAdj, 2, 2, {"1", "2", "3", "4"}, 2, 2, {"4", "-2", "-3", "1"}},
        {&CHollastrinDlg::OnInv, 2, 2, {"4", "7", "2", "6"}, 2, 2, {"0.6", "-0.7", "-0.2", "0.4"}},
        {&CHollastrinDlg::OnDet, 3, 3, {"2", "0", "0", "0", "3", "0", "0", "0", "4"}, 1, 1, {"24"}},
        // The product of the diagonal, not its sum.
        {&CHollastrinDlg::OnTrc, 2, 2, {"2", "5", "7", "3"}, 1, 1, {"6"}},
        // Blank cells count as 0.
        {&CHollastrinDlg::OnDet, 2, 2, {}, 1, 1, {"0"}},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        CEntryControlView* pOperand = Zeroed(c.nRows, c.nCols, c.cells);
        RightClick(pOperand);
        (m_pDlg.get()->*c.handler)();
        CEntryControlView* pResult = LastObject();
        ASSERT_NE(pResult, pOperand) << m_messages.join('\n').toStdString();
        EXPECT_EQ(pResult->m_nRows, c.nResultRows);
        EXPECT_EQ(pResult->m_nCols, c.nResultCols);
        EXPECT_EQ(CellTexts(pResult), c.result) << Name(pResult).toStdString();
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(ResultValuesTest, TwoObjectCommandsInOrderOfSelection)
{
    struct Case : TwoOperands
    {
        bool bSecondFirst;
        const char* pName;
        QStringList result;
    };
    // clang-format off
    const Case cases[] = {
        {&CHollastrinDlg::OnAdd, 1, 2, {"1", "2"}, 1, 2, {"10", "20"}, false, "Add(%1,%2)", {"11", "22"}},
        // Selected 2 first: 2 minus 1.
        {&CHollastrinDlg::OnSub, 1, 2, {"1", "2"}, 1, 2, {"10", "20"}, true, "Sub(%2,%1)", {"9", "18"}},
        {&CHollastrinDlg::OnDot, 1, 3, {"1", "2", "3"}, 1, 3, {"4", "5", "6"}, false, "Dot(%1,%2)", {"32"}},
        {&CHollastrinDlg::OnCrs, 1, 3, {"1", "2", "3"}, 1, 3, {"4", "5", "6"}, false, "Crs(%1,%2)", {"-3", "6", "-3"}},
        {&CHollastrinDlg::OnCrs, 3, 1, {"1", "2", "3"}, 3, 1, {"4", "5", "6"}, true, "Crs(%2,%1)", {"3", "-6", "3"}},
        {&CHollastrinDlg::OnAng, 1, 2, {"1", "0"}, 1, 2, {"0", "1"}, false, "Ang(%1,%2)", {"1.570796327"}},
        {&CHollastrinDlg::OnPow, 2, 2, {"1", "1", "0", "1"}, 1, 1, {"3"}, false, "Pow(%1,%2)", {"1", "3", "0", "1"}},
        {&CHollastrinDlg::OnSlv, 2, 2, {"2", "0", "0", "4"}, 2, 1, {"2", "8"}, false, "Slv(%1,%2)", {"1", "2"}},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        PressButton("buttonCloseAllObjects");
        const int nFirst = m_pDlg->Registry().NextObjectNumber();
        CEntryControlView* p1 = Zeroed(c.nRows1, c.nCols1, c.cells1);
        CEntryControlView* p2 = Zeroed(c.nRows2, c.nCols2, c.cells2);
        RightClick(c.bSecondFirst ? p2 : p1);
        RightClick(c.bSecondFirst ? p1 : p2);
        (m_pDlg.get()->*c.handler)();
        ASSERT_EQ(ObjectCount(), 3) << c.pName << m_messages.join('\n').toStdString();
        // %1 and %2 stand for the numbers of the objects made first and second.
        EXPECT_EQ(Name(LastObject()), QString::fromUtf8(c.pName).arg(nFirst).arg(nFirst + 1));
        EXPECT_EQ(CellTexts(LastObject()), c.result) << c.pName;
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(ResultValuesTest, NamesNest)
{
    CEntryControlView* p1 = Zeroed(2, 2, {"1", "2", "3", "4"});
    CEntryControlView* p2 = Zeroed(2, 2, {"1", "0", "0", "1"});
    RightClick(p1);
    RightClick(p2);
    PressButton("buttonAdd");
    CEntryControlView* pSum = LastObject();
    CEntryControlView* p4 = Zeroed(2, 2, {"1", "0", "0", "1"});
    RightClick(pSum);
    RightClick(p4);
    PressButton("buttonMul");
    EXPECT_EQ(Name(LastObject()), "Mul(Add(1,2),4)");
    RightClick(LastObject());
    PressButton("buttonTrp");
    EXPECT_EQ(Name(LastObject()), "Trp(Mul(Add(1,2),4))");
    EXPECT_EQ(CellTexts(LastObject()), (QStringList{"2", "3", "2", "5"}));
}

// Mul's four cases by the operands' shown sizes.
TEST_F(ResultValuesTest, MulCases)
{
    CEntryControlView* pTwo = Zeroed(1, 1, {"2"});
    CEntryControlView* pMatrix = Zeroed(2, 3, {"1", "2", "3", "4", "5", "6"});
    CEntryControlView* pThree = Zeroed(1, 1, {"3"});
    CEntryControlView* pTall = Zeroed(3, 2, {"1", "0", "0", "1", "1", "1"});

    const auto mul = [&](CEntryControlView* a, CEntryControlView* b)
    {
        RightClick(a);
        RightClick(b);
        PressButton("buttonMul");
        return LastObject();
    };
    // A number first, then a number second: same values, named by selection.
    CEntryControlView* r = mul(pTwo, pMatrix);
    EXPECT_EQ(Name(r), "Mul(1,2)");
    EXPECT_EQ(CellTexts(r), (QStringList{"2", "4", "6", "8", "10", "12"}));
    r = mul(pMatrix, pTwo);
    EXPECT_EQ(Name(r), "Mul(2,1)");
    EXPECT_EQ(CellTexts(r), (QStringList{"2", "4", "6", "8", "10", "12"}));
    // Two numbers.
    r = mul(pTwo, pThree);
    EXPECT_EQ(r->m_nRows * r->m_nCols, 1);
    EXPECT_EQ(CellTexts(r), QStringList{"6"});
    // Two numbers are a 1 x 1 matrix product, whose sum starts at +0: -0
    // times 5 shows 0.
    r = mul(Zeroed(1, 1, {"-0"}), Zeroed(1, 1, {"5"}));
    EXPECT_EQ(CellTexts(r), QStringList{"0"});
    // Matrix product: 2 x 3 times 3 x 2.
    r = mul(pMatrix, pTall);
    EXPECT_EQ(r->m_nRows, 2);
    EXPECT_EQ(r->m_nCols, 2);
    EXPECT_EQ(CellTexts(r), (QStringList{"4", "5", "10", "11"}));
    EXPECT_TRUE(m_messages.isEmpty());

    // 2 x 3 times 2 x 3 does not fit.
    const int nBefore = ObjectCount();
    CEntryControlView* pOther = Zeroed(2, 3);
    mul(pMatrix, pOther);
    EXPECT_EQ(m_messages, QStringList{EngineText::kProductShape});
    EXPECT_EQ(ObjectCount(), nBefore + 1);
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
}

// Slv checks the shapes the views show before any cell is read.
TEST_F(ResultValuesTest, SlvShapeMessagesComeBeforeCells)
{
    struct Case
    {
        int nRows1, nCols1, nRows2, nCols2;
        const char* pMessage;
    };
    const Case cases[] = {
        {2, 3, 3, 1, MessageText::kSolveFirstNotSquare},
        {3, 3, 1, 3, MessageText::kSolveSecondShape},
        {3, 3, 2, 1, MessageText::kSolveSecondShape},
        {3, 3, 3, 2, MessageText::kSolveSecondShape},
        // Cells read now: the illegal one is reported.
        {3, 3, 3, 1, MessageText::kIllegalCharacter},
    };
    for (const Case& c : cases)
    {
        m_messages.clear();
        CEntryControlView* p1 = Zeroed(c.nRows1, c.nCols1, {"x"});
        CEntryControlView* p2 = Zeroed(c.nRows2, c.nCols2, {"1,5"});
        const int nBefore = ObjectCount();
        RightClick(p1);
        RightClick(p2);
        PressButton("buttonSlv");
        EXPECT_EQ(m_messages, QStringList{c.pMessage});
        EXPECT_EQ(ObjectCount(), nBefore);
        EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
        EXPECT_EQ(p1->IsSelected() + p2->IsSelected(), 0);
    }
}

// Every text the engine raises reaches its box; nothing opens, no number is
// used up.
TEST_F(ResultValuesTest, EngineMessagesAreShown)
{
    struct Case : TwoOperands
    {
        const char* pMessage;
    };
    const Case cases[] = {
        {&CHollastrinDlg::OnDet, 2, 3, {}, 0, 0, {}, EngineText::kSelectedNotSquare},
        {&CHollastrinDlg::OnCof, 3, 2, {}, 0, 0, {}, EngineText::kSelectedNotSquare},
        {&CHollastrinDlg::OnAdj, 1, 2, {}, 0, 0, {}, EngineText::kSelectedNotSquare},
        {&CHollastrinDlg::OnTrc, 2, 1, {}, 0, 0, {}, EngineText::kSelectedNotSquare},
        {&CHollastrinDlg::OnInv, 2, 3, {}, 0, 0, {}, EngineText::kSelectedNotSquare},
        {&CHollastrinDlg::OnInv, 2, 2, {"1", "2", "2", "4"}, 0, 0, {}, EngineText::kPivotTooSmall},
        {&CHollastrinDlg::OnMag, 2, 2, {}, 0, 0, {}, EngineText::kIllegalOperation},
        {&CHollastrinDlg::OnAdd, 2, 2, {}, 2, 3, {}, EngineText::kUnequalDimensions},
        {&CHollastrinDlg::OnSub, 2, 2, {}, 3, 2, {}, EngineText::kUnequalDimensions},
        {&CHollastrinDlg::OnPow, 2, 3, {}, 1, 1, {"2"}, EngineText::kFirstNotSquare},
        {&CHollastrinDlg::OnPow, 2, 2, {}, 1, 1, {"2.5"}, EngineText::kExponentNotInteger},
        {&CHollastrinDlg::OnPow, 2, 2, {}, 1, 2, {"2", "2"}, EngineText::kExponentNotInteger},
        {&CHollastrinDlg::OnDot, 1, 3, {}, 1, 2, {}, EngineText::kVectorPair},
        {&CHollastrinDlg::OnCrs, 1, 3, {}, 3, 1, {}, EngineText::kVectorPair},
        {&CHollastrinDlg::OnAng, 1, 2, {"0", "0"}, 1, 2, {"1", "0"}, EngineText::kZeroMagnitude},
        {&CHollastrinDlg::OnAng, 2, 2, {}, 2, 2, {}, EngineText::kIllegalOperation},
        {&CHollastrinDlg::OnSlv, 2, 2, {"1", "2", "2", "4"}, 2, 1, {}, EngineText::kPivotTooSmall},
    };
    for (const Case& c : cases)
    {
        m_messages.clear();
        PressButton("buttonCloseAllObjects");
        RightClick(Zeroed(c.nRows1, c.nCols1, c.cells1));
        if (c.nRows2 > 0)
            RightClick(Zeroed(c.nRows2, c.nCols2, c.cells2));
        const int nNext = m_pDlg->Registry().NextObjectNumber();
        (m_pDlg.get()->*c.handler)();
        EXPECT_EQ(m_messages, QStringList{c.pMessage});
        EXPECT_EQ(m_icons.last(), MessageIcon::Exclamation);
        EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), nNext);
        EXPECT_EQ(ObjectCount(), c.nRows2 > 0 ? 2 : 1);
        EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    }
}

TEST_F(ResultValuesTest, BudgetMessageFromAResult)
{
    CEntryControlView* p1 = Zeroed(1, 2, {"3", "4"});
    CEntryControlView* p2 = Zeroed(1, 2, {"1", "1"});
    for (int k = 0; k < 12; ++k)
        Zeroed(20, 20);
    Zeroed(13, 15);
    ASSERT_EQ(m_pDlg->Registry().EditControlCount(), 4999);
    const int nNext = m_pDlg->Registry().NextObjectNumber();

    // Two more cells, and even one more, are too many.
    RightClick(p1);
    RightClick(p2);
    PressButton("buttonAdd");
    RightClick(p1);
    PressButton("buttonMag");
    EXPECT_EQ(m_messages, (QStringList{MessageText::kBudgetReached, MessageText::kBudgetReached}));
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 4999);
    EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), nNext);
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());

    CloseWindow(LastObject());
    RightClick(p1);
    PressButton("buttonMag");
    EXPECT_EQ(Name(LastObject()), "Mag(1)");
    EXPECT_EQ(LastObject()->Frame()->ObjectNumber(), nNext);
}

// Object windows stay usable while a message box is open.
using ChangesUnderABoxTest = CommandsTest;

TEST_F(ChangesUnderABoxTest, OperandWindowClosedWhileTheMessageIsOpen)
{
    CEntryControlView* p1 = Zeroed(2, 2, {"1,5"});
    CEntryControlView* p2 = Zeroed(2, 2);
    QPointer<CEntryControlView> pGone(p2);
    RightClick(p1);
    RightClick(p2);
    WhileNextBoxOpen([&] { CloseWindow(p2); });
    PressButton("buttonAdd");
    EXPECT_TRUE(pGone.isNull());
    EXPECT_EQ(m_messages, QStringList{MessageText::kIllegalCharacter});
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    EXPECT_EQ(p1->IsSelected(), 0);
    EXPECT_EQ(ObjectCount(), 1);
}

TEST_F(ChangesUnderABoxTest, SelectionChangedWhileTheMessageIsOpen)
{
    CEntryControlView* p1 = Zeroed(2, 3);
    CEntryControlView* p2 = Zeroed(2, 3);
    CEntryControlView* p3 = Zeroed(1, 1);

    // A one-object command: the user picks another object meanwhile; both
    // are cleared at the end.
    RightClick(p1);
    WhileNextBoxOpen([&] { RightClick(p3); });
    PressButton("buttonDet");
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    EXPECT_EQ(p1->IsSelected() + p3->IsSelected(), 0);

    // Slv's shape message: the first operand is closed and another picked.
    RightClick(p1);
    RightClick(p2);
    WhileNextBoxOpen(
        [&]
        {
            CloseWindow(p1);
            RightClick(p3);
        });
    PressButton("buttonSlv");
    EXPECT_EQ(m_messages.last(), MessageText::kSolveFirstNotSquare);
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    EXPECT_EQ(p2->IsSelected() + p3->IsSelected(), 0);

    // Two selected for a one-object command: one is deselected meanwhile.
    RightClick(p2);
    RightClick(p3);
    WhileNextBoxOpen([&] { RightClick(p2); });
    PressButton("buttonInv");
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    EXPECT_EQ(p3->IsSelected(), 0);
}

} // namespace
