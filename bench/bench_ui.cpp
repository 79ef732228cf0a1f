// Timings of the windowing side on the offscreen platform, each up to the
// point where the result is painted. Real time; read the medians.
#include "EntryControlView.h"
#include "HollastrinDlg.h"
#include "MessageBox.h"
#include "Metrics.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>

namespace
{
// Lets the toolkit finish what it has queued: layout, painting, deletions.
void Settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void Open(CHollastrinDlg& dlg, int nRows, int nCols)
{
    dlg.RowsBox()->setCurrentIndex(nRows - 1);
    dlg.ColsBox()->setCurrentIndex(nCols - 1);
    dlg.OnRandomObject();
}

// Answers every message box at once.
struct SilentBoxes
{
    SilentBoxes() : m_previous(SetMessageBoxHook([](const MessageBoxRecord&) {})) {}
    ~SilentBoxes() { SetMessageBoxHook(m_previous); }
    MessageBoxHook m_previous;
};

void BM_StartUpToShownDialog(benchmark::State& state)
{
    for (auto _ : state)
    {
        CHollastrinDlg dlg;
        dlg.show();
        Settle();
        state.PauseTiming();
        dlg.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToShownDialog)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

void BM_OpenRandom20x20(benchmark::State& state)
{
    CHollastrinDlg dlg;
    dlg.show();
    Settle();
    for (auto _ : state)
    {
        Open(dlg, 20, 20);
        Settle();
        state.PauseTiming();
        dlg.OnCloseAllObjects();
        Settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenRandom20x20)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

void BM_Cmp20x20(benchmark::State& state)
{
    const SilentBoxes silent;
    CHollastrinDlg dlg;
    dlg.show();
    Open(dlg, 20, 20);
    Open(dlg, 20, 20);
    Settle();
    CEntryControlView* pA = dlg.m_ObjectList.at(0);
    CEntryControlView* pB = dlg.m_ObjectList.at(1);
    for (auto _ : state)
    {
        state.PauseTiming();
        pA->OnRButtonDown(0, QPoint());
        pB->OnRButtonDown(0, QPoint());
        Settle();
        state.ResumeTiming();
        dlg.OnCmp();
        Settle();
    }
}
BENCHMARK(BM_Cmp20x20)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

void BM_CloseAll4999Cells(benchmark::State& state)
{
    CHollastrinDlg dlg;
    dlg.show();
    for (auto _ : state)
    {
        state.PauseTiming();
        for (int k = 0; k < 12; ++k)
            Open(dlg, 20, 20);
        Open(dlg, 13, 15);
        Open(dlg, 1, 4);
        Settle();
        if (dlg.m_nEditControlCount != kMaxEditControls)
            state.SkipWithError("not 4999 cells");
        state.ResumeTiming();
        dlg.OnCloseAllObjects();
        Settle();
    }
}
BENCHMARK(BM_CloseAll4999Cells)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5)
    ->Repetitions(5);
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quindle"));
    Metrics::ApplyApplicationLook();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
