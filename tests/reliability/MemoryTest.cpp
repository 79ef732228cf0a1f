// Filling the cell budget and closing all objects again, a hundred times:
// memory stays where it was after the first cycles. (Under AddressSanitizer
// the resident size says nothing; its leak checker reports leaks instead.)
#include "ReliabilitySupport.h"

#include <QApplication>
#include <QListWidget>
#include <QPixmapCache>

#include <malloc.h>

#include <iostream>

namespace
{
constexpr long long kMiB = 1024 * 1024;

using MemoryTest = ReliabilityTest;

TEST_F(MemoryTest, HundredCyclesOfFullBudgetAndCloseAllKeepMemoryFlat)
{
    constexpr int kCycles = 100;
    constexpr int kBaselineCycle = 5;
    long long nBaseline = -1;
    long long nFirst = -1;
    long long nResident = -1;
    // Qt's pixmap cache keeps the scroll bars of each window drawn, keyed by
    // the window's palette, up to its limit: with it, memory would grow by
    // that limit for reasons of Qt's own.
    const int nCacheLimit = QPixmapCache::cacheLimit();
    QPixmapCache::setCacheLimit(0);
    for (int nCycle = 1; nCycle <= kCycles; ++nCycle)
    {
        // 12 x 400 + 195 + 4 = 4999 cells: the whole budget. Random and
        // zeroed objects take turns, so both kinds of cells are made.
        for (int k = 0; k < 12; ++k)
            ASSERT_NE((k + nCycle) % 2 ? Random(20, 20) : Zeroed(20, 20), nullptr);
        ASSERT_NE(Random(13, 15), nullptr);
        ASSERT_NE(Zeroed(1, 4, {"1", "2,5", "", "1e400"}), nullptr);
        ASSERT_EQ(m_pDlg->Registry().EditControlCount(), kMaxEditControls);
        // One cell more is refused.
        ASSERT_EQ(Zeroed(1, 1), nullptr);
        ASSERT_EQ(m_messages.takeLast(), MessageText::kBudgetReached);
        // Select two, so that closing takes them out of the selection too.
        RightClick(m_pDlg->Registry().ObjectList().at(0));
        RightClick(m_pDlg->Registry().ObjectList().at(13));
        // Shown and painted as a user would see them.
        QApplication::processEvents();

        Press(IDC_CLOSE_ALL_OBJECTS);
        ProcessDeferredDeletes();
        ASSERT_EQ(CheckDialogState(*m_pDlg), "");
        ASSERT_EQ(ObjectCount(), 0);
        ASSERT_EQ(m_pDlg->Registry().EditControlCount(), 0);
        ASSERT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
        ASSERT_EQ(m_pDlg->Registry().NextObjectNumber(), 1 + 14 * nCycle);

        // Freed memory the allocator keeps is no growth.
        malloc_trim(0);
        nResident = ResidentBytes();
        if (nCycle == 1)
            nFirst = nResident;
        if (nCycle == kBaselineCycle)
            nBaseline = nResident;
    }
    QPixmapCache::setCacheLimit(nCacheLimit);
    EXPECT_TRUE(m_messages.isEmpty());
    std::cout << "resident after cycle 1: " << nFirst / 1024 << " KiB, after cycle "
              << kBaselineCycle << ": " << nBaseline / 1024 << " KiB, after cycle " << kCycles
              << ": " << nResident / 1024 << " KiB\n";
    // Under AddressSanitizer the resident size says nothing (freed memory
    // is held back on purpose); its leak checker at the end of the run
    // speaks instead.
    if (kAddressSanitizer)
        return;
    ASSERT_GT(nBaseline, 0) << "no /proc/self/statm";
    EXPECT_LE(nResident - nBaseline, 2 * kMiB)
        << "grew from " << nBaseline << " to " << nResident << " bytes";
}
} // namespace
