// Progress reports of the long operations, installing and restoring sinks,
// and a sink that cancels by throwing.
#include "PowerTestSupport.h"

#include <thread>

namespace
{

// What a cancelling interface throws.
struct SCancelled
{
    int nTag;
};

// Throws after letting nAllowed reports pass.
class CCancellingSink : public IProgressSink
{
public:
    explicit CCancellingSink(int nAllowed) : m_nAllowed(nAllowed) {}
    void OnProgress(long long, long long) override
    {
        if (m_nCalls++ == m_nAllowed)
        {
            throw SCancelled{m_nAllowed};
        }
    }
    int m_nCalls = 0;

private:
    int m_nAllowed;
};

// The reports count up by one from 1, the total never grows, and the last
// report has everything done.
::testing::AssertionResult WellFormed(const std::vector<CRecordingSink::SReport>& reports)
{
    for (std::size_t t = 0; t < reports.size(); ++t)
    {
        const auto& report = reports[t];
        if (report.nDone != static_cast<long long>(t) + 1 || report.nDone > report.nTotal ||
            (t > 0 && report.nTotal > reports[t - 1].nTotal))
        {
            return ::testing::AssertionFailure()
                   << "report " << t << ": " << report.nDone << " of " << report.nTotal;
        }
    }
    if (!reports.empty() && reports.back().nDone != reports.back().nTotal)
    {
        return ::testing::AssertionFailure() << "the last report is not complete";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Progress, PowerReportsEveryProduct)
{
    CRecordingSink sink;
    CProgressScope scope(&sink);
    (void)Power(RandomMatrix(3, 1U), Scalar(40));
    ASSERT_EQ(sink.m_reports.size(), 39U);
    EXPECT_TRUE(WellFormed(sink.m_reports));
    EXPECT_EQ(sink.m_reports.front().nTotal, 39);
}

TEST(Progress, PowerLowersTheTotalWhenItJumps)
{
    CRecordingSink sink;
    CProgressScope scope(&sink);
    (void)Power(Identity(3), Scalar(1000000));
    ASSERT_EQ(sink.m_reports.size(), 1U);
    EXPECT_EQ(sink.m_reports[0].nDone, 1);
    EXPECT_EQ(sink.m_reports[0].nTotal, 1);

    sink.m_reports.clear();
    // A quarter turn returns after 4 products; Brent's marks at 1, 2 and 4
    // find it at 8, and 1000 - 8 is a multiple of 4.
    (void)Power(MakeMatrix({{0, -1}, {1, 0}}), Scalar(1000));
    EXPECT_EQ(sink.m_reports.size(), 7U);
    EXPECT_EQ(sink.m_reports.front().nTotal, 999);
    EXPECT_TRUE(WellFormed(sink.m_reports));

    sink.m_reports.clear();
    (void)Power(MakeMatrix({{0, -1}, {1, 0}}), Scalar(1001));
    EXPECT_EQ(sink.m_reports.size(), 8U);
    EXPECT_TRUE(WellFormed(sink.m_reports));
}

TEST(Progress, ShortPowersAndRefusalsReportNothing)
{
    CRecordingSink sink;
    CProgressScope scope(&sink);
    (void)Power(RandomMatrix(3, 2U), Scalar(0));
    (void)Power(RandomMatrix(3, 2U), Scalar(1));
    EXPECT_EQ(ThrownText([] { (void)Power(RandomMatrix(3, 2U), Scalar(2.5)); }),
              EngineText::kExponentNotInteger);
    EXPECT_TRUE(sink.m_reports.empty());
}

TEST(Progress, CofactorReportsEveryMinor)
{
    CRecordingSink sink;
    CProgressScope scope(&sink);
    const CMatrix a = RandomMatrix(4, 3U);
    (void)a.Cofactor();
    ASSERT_EQ(sink.m_reports.size(), 16U);
    EXPECT_TRUE(WellFormed(sink.m_reports));
    EXPECT_EQ(sink.m_reports.front().nTotal, 16);

    sink.m_reports.clear();
    (void)a.Adjoint();
    EXPECT_EQ(sink.m_reports.size(), 16U);
}

TEST(Progress, ScopesNestAndRestore)
{
    const CMatrix base = RandomMatrix(2, 4U);
    CRecordingSink outer;
    CRecordingSink inner;
    (void)Power(base, Scalar(3)); // nobody listens
    {
        CProgressScope outerScope(&outer);
        {
            CProgressScope innerScope(&inner);
            (void)Power(base, Scalar(3));
            {
                CProgressScope silence(nullptr);
                (void)Power(base, Scalar(3));
            }
            (void)Power(base, Scalar(3));
        }
        (void)Power(base, Scalar(3));
        // A scope left by an exception restores as well.
        try
        {
            CProgressScope throwing(&inner);
            throw SCancelled{0};
        }
        catch (const SCancelled&)
        {
        }
        (void)Power(base, Scalar(3));
    }
    (void)Power(base, Scalar(3));
    EXPECT_EQ(inner.m_reports.size(), 4U);
    EXPECT_EQ(outer.m_reports.size(), 4U);
}

TEST(Progress, CancellingSinkEndsPowerWithNothingChanged)
{
    const CMatrix base = RandomMatrix(5, 5U);
    const CMatrix exponent = Scalar(1000);
    const SMatrixSnapshot beforeBase(base);
    for (int nAllowed : {0, 1, 2, 7, 500})
    {
        CCancellingSink sink(nAllowed);
        CProgressScope scope(&sink);
        try
        {
            (void)Power(base, exponent);
            ADD_FAILURE() << "not cancelled after " << nAllowed;
        }
        catch (const SCancelled& cancelled)
        {
            EXPECT_EQ(cancelled.nTag, nAllowed);
        }
        EXPECT_EQ(sink.m_nCalls, nAllowed + 1);
    }
    EXPECT_EQ(SMatrixSnapshot(base), beforeBase);

    // Also while the remaining products after a jump are done: a cycle of
    // order 3 with exponent 11 is found at product 3, then 2 more follow.
    CCancellingSink sink(3);
    CProgressScope scope(&sink);
    EXPECT_THROW((void)Power(MakeMatrix({{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}), Scalar(11)),
                 SCancelled);
}

TEST(Progress, CancellingSinkEndsCofactorAndAdjoint)
{
    const CMatrix a = RandomMatrix(30, 6U);
    for (int nAllowed : {0, 29, 450})
    {
        CCancellingSink cofactorSink(nAllowed);
        CCancellingSink adjointSink(nAllowed);
        {
            CProgressScope scope(&cofactorSink);
            EXPECT_THROW((void)a.Cofactor(), SCancelled);
        }
        {
            CProgressScope scope(&adjointSink);
            EXPECT_THROW((void)a.Adjoint(), SCancelled);
        }
        EXPECT_EQ(cofactorSink.m_nCalls, nAllowed + 1);
        EXPECT_EQ(adjointSink.m_nCalls, nAllowed + 1);
    }
}

// A computation on a worker thread, watched and stopped from another: the
// sink is the worker's own, the watcher reads its reports and its stop
// request ends the computation at the next report.
TEST(Progress, SharedProgressIsWatchedAndStoppedFromAnotherThread)
{
    CRecordingSink mine;
    const CProgressScope scope(&mine);
    CSharedProgress shared;
    bool bCancelled = false;
    std::thread worker(
        [&]
        {
            const CProgressScope workerScope(&shared);
            try
            {
                (void)Power(MakeMatrix({{0.6, -0.8}, {0.8, 0.6}}), Scalar(2147483647));
            }
            catch (const CComputationCancelled&)
            {
                bCancelled = true;
            }
        });
    while (shared.Last().first < 1000)
        std::this_thread::yield();
    shared.RequestStop();
    worker.join();
    EXPECT_TRUE(bCancelled);
    EXPECT_EQ(shared.Last().second, 2147483646);
    // This thread's sink heard nothing of the worker's reports.
    EXPECT_TRUE(mine.m_reports.empty());
    EXPECT_EQ(ProgressDetail::g_pInstalledSink, &mine);
}
