// Timings of the engine's heavy operations beside the same work done with
// Eigen's dynamic-size matrices, with a table of the ratios at the end, and
// one row for each further operation (MoreOperations.h) on a 20 x 20 object.
//
//   bench_engine [Google Benchmark options, e.g. --benchmark_filter=Determinant]
#include "engine/Matrix.h"
#include "engine/MoreOperations.h"

#include <Eigen/Dense>
#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace
{

constexpr int kSizes[] = {3, 10, 20};
constexpr int kPowerExponent = 1000;

// A row-stochastic matrix: positive entries, each row summing to 1. Its
// powers neither overflow nor sink into subnormal numbers, so the power's
// timing is the timing of ordinary arithmetic. It is far from singular, so
// the inverse and the determinant run their full elimination.
Eigen::MatrixXd SampleMatrix(int n, unsigned nSeed = 4242U)
{
    std::mt19937 generator(nSeed + static_cast<unsigned>(n));
    std::uniform_real_distribution<double> value(0.1, 1.0);
    Eigen::MatrixXd m(n, n);
    for (int i = 0; i < n; ++i)
    {
        double dSum = 0.0;
        for (int j = 0; j < n; ++j)
        {
            m(i, j) = value(generator);
            dSum += m(i, j);
        }
        m.row(i) /= dSum;
    }
    return m;
}

// Plane rotations by the irrational angles 1, sqrt 2, sqrt 3, ... radians down
// the diagonal (1 in the last place of an odd order). Its powers never
// repeat bit for bit, so the power computes every product of its chain, as
// Eigen does; a base whose powers settle (the stochastic sample settles on a
// fixed point within a few hundred products) would time the power's jump
// instead.
Eigen::MatrixXd RotationSample(int n)
{
    Eigen::MatrixXd m = Eigen::MatrixXd::Zero(n, n);
    for (int b = 0; 2 * b + 1 < n; ++b)
    {
        const double dAngle = std::sqrt(static_cast<double>(b + 1));
        m(2 * b, 2 * b) = std::cos(dAngle);
        m(2 * b, 2 * b + 1) = -std::sin(dAngle);
        m(2 * b + 1, 2 * b) = std::sin(dAngle);
        m(2 * b + 1, 2 * b + 1) = std::cos(dAngle);
    }
    if (n % 2 == 1)
    {
        m(n - 1, n - 1) = 1.0;
    }
    return m;
}

CMatrix ToEngine(const Eigen::MatrixXd& m)
{
    CMatrix result(static_cast<int>(m.rows()), static_cast<int>(m.cols()));
    for (int i = 0; i < result.m_nRows; ++i)
    {
        for (int j = 0; j < result.m_nCols; ++j)
        {
            result.SetElement(i, j, m(i, j));
        }
    }
    return result;
}

// ---------------------------------------------------------------------------
// The engine

void OursDeterminant(benchmark::State& state, int n)
{
    const CMatrix a = ToEngine(SampleMatrix(n));
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(a.Determinant());
    }
}

void OursInverse(benchmark::State& state, int n)
{
    const CMatrix a = ToEngine(SampleMatrix(n));
    for (auto _ : state)
    {
        CMatrix inverse = a.Inverse();
        benchmark::DoNotOptimize(inverse.m_ppValues[0][0]);
    }
}

void OursCofactor(benchmark::State& state, int n)
{
    const CMatrix a = ToEngine(SampleMatrix(n));
    for (auto _ : state)
    {
        CMatrix cofactors = a.Cofactor();
        benchmark::DoNotOptimize(cofactors.m_ppValues[0][0]);
    }
}

void OursProduct(benchmark::State& state, int n)
{
    const CMatrix a = ToEngine(SampleMatrix(n));
    const CMatrix b = ToEngine(SampleMatrix(n, 99U));
    for (auto _ : state)
    {
        CMatrix product = a * b;
        benchmark::DoNotOptimize(product.m_ppValues[0][0]);
    }
}

void OursPower(benchmark::State& state, int n)
{
    const CMatrix a = ToEngine(RotationSample(n));
    CMatrix exponent(1, 1);
    exponent.SetElement(0, 0, kPowerExponent);
    for (auto _ : state)
    {
        CMatrix power = Power(a, exponent);
        benchmark::DoNotOptimize(power.m_ppValues[0][0]);
    }
}

// ---------------------------------------------------------------------------
// Eigen, the reference

void EigenDeterminant(benchmark::State& state, int n)
{
    const Eigen::MatrixXd a = SampleMatrix(n);
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(a.determinant());
    }
}

void EigenInverse(benchmark::State& state, int n)
{
    const Eigen::MatrixXd a = SampleMatrix(n);
    for (auto _ : state)
    {
        Eigen::MatrixXd inverse = a.inverse();
        benchmark::DoNotOptimize(inverse.data());
        benchmark::ClobberMemory();
    }
}

// The matrix of cofactors as n x n determinants of minors, one minor buffer
// reused throughout.
void EigenCofactor(benchmark::State& state, int n)
{
    const Eigen::MatrixXd a = SampleMatrix(n);
    const Eigen::Index m = n - 1;
    for (auto _ : state)
    {
        Eigen::MatrixXd cofactors(n, n);
        Eigen::MatrixXd minor(m, m);
        for (Eigen::Index i = 0; i < n; ++i)
        {
            for (Eigen::Index j = 0; j < n; ++j)
            {
                minor.topLeftCorner(i, j) = a.topLeftCorner(i, j);
                minor.topRightCorner(i, m - j) = a.topRightCorner(i, m - j);
                minor.bottomLeftCorner(m - i, j) = a.bottomLeftCorner(m - i, j);
                minor.bottomRightCorner(m - i, m - j) = a.bottomRightCorner(m - i, m - j);
                cofactors(i, j) = minor.determinant() * ((i + j) % 2 == 0 ? 1.0 : -1.0);
            }
        }
        benchmark::DoNotOptimize(cofactors.data());
        benchmark::ClobberMemory();
    }
}

void EigenProduct(benchmark::State& state, int n)
{
    const Eigen::MatrixXd a = SampleMatrix(n);
    const Eigen::MatrixXd b = SampleMatrix(n, 99U);
    for (auto _ : state)
    {
        Eigen::MatrixXd product = a * b;
        benchmark::DoNotOptimize(product.data());
        benchmark::ClobberMemory();
    }
}

void EigenPower(benchmark::State& state, int n)
{
    const Eigen::MatrixXd a = RotationSample(n);
    for (auto _ : state)
    {
        Eigen::MatrixXd power = a;
        Eigen::MatrixXd next(n, n);
        for (int nStep = 1; nStep < kPowerExponent; ++nStep)
        {
            next.noalias() = power * a;
            power.swap(next);
        }
        benchmark::DoNotOptimize(power.data());
        benchmark::ClobberMemory();
    }
}

// ---------------------------------------------------------------------------
// The further operations

constexpr int kMoreSize = 20;

// The sample, except where it would be refused: Vec gets S diag(1, ..., n) S^-1
// (real eigenvalues), Null the sample with its last row repeating the first.
std::vector<CMatrix> MoreOperands(const SMoreOperation& operation, int n)
{
    Eigen::MatrixXd a = SampleMatrix(n);
    if (std::string(operation.pCaption) == "Vec")
    {
        const Eigen::MatrixXd s = SampleMatrix(n, 7U) + Eigen::MatrixXd::Identity(n, n);
        const Eigen::VectorXd d = Eigen::VectorXd::LinSpaced(n, 1.0, n);
        a = s * d.asDiagonal() * s.inverse();
    }
    else if (std::string(operation.pCaption) == "Null")
    {
        a.row(n - 1) = a.row(0);
    }
    std::vector<CMatrix> operands{ToEngine(a)};
    if (operation.nOperands == 2)
    {
        operands.push_back(ToEngine(SampleMatrix(n, 99U).col(0)));
    }
    return operands;
}

void MoreOperation(benchmark::State& state, const SMoreOperation* pOperation)
{
    const std::vector<CMatrix> operands = MoreOperands(*pOperation, kMoreSize);
    try
    {
        pOperation->pCompute(operands);
    }
    catch (const char* pText)
    {
        state.SkipWithError(pText);
        return;
    }
    for (auto _ : state)
    {
        std::vector<CMatrix> results = pOperation->pCompute(operands);
        benchmark::DoNotOptimize(results.front().m_ppValues[0][0]);
    }
}

// ---------------------------------------------------------------------------
// Registration and the summary table

using BenchmarkFunction = void (*)(benchmark::State&, int);

struct SOperation
{
    const char* pName;
    BenchmarkFunction pOurs;
    BenchmarkFunction pEigen;
};

constexpr SOperation kOperations[] = {
    {"Determinant", OursDeterminant, EigenDeterminant},
    {"Inverse", OursInverse, EigenInverse},
    {"Cofactor", OursCofactor, EigenCofactor},
    {"Product", OursProduct, EigenProduct},
    {"Power1000", OursPower, EigenPower},
};

std::string BenchmarkName(const char* pOperation, const char* pSide, int n)
{
    return std::string(pOperation) + "/" + pSide + "/" + std::to_string(n);
}

void RegisterAll()
{
    for (const SOperation& operation : kOperations)
    {
        for (int n : kSizes)
        {
            benchmark::RegisterBenchmark(BenchmarkName(operation.pName, "ours", n).c_str(),
                                         operation.pOurs, n);
            benchmark::RegisterBenchmark(BenchmarkName(operation.pName, "eigen", n).c_str(),
                                         operation.pEigen, n);
        }
    }
    for (const SMoreOperation& operation : kMoreOperations)
    {
        benchmark::RegisterBenchmark(
            ("More/" + std::string(operation.pCaption) + "/" + std::to_string(kMoreSize)).c_str(),
            MoreOperation, &operation);
    }
}

// The console output as usual, and besides it the CPU time per iteration of
// every run, in nanoseconds, by benchmark name. With repetitions the fastest
// repetition counts.
class CCollectingReporter : public benchmark::ConsoleReporter
{
public:
    CCollectingReporter() : benchmark::ConsoleReporter(OO_None) {}

    void ReportRuns(const std::vector<Run>& reports) override
    {
        benchmark::ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports)
        {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
            {
                continue;
            }
            const double dNanoseconds =
                run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const std::string strName = run.benchmark_name();
            const auto it = m_timings.find(strName);
            if (it == m_timings.end() || dNanoseconds < it->second)
            {
                m_timings[strName] = dNanoseconds;
            }
        }
    }

    const std::map<std::string, double>& Timings() const { return m_timings; }

private:
    std::map<std::string, double> m_timings;
};

// Fixed-point text of a number, independent of the locale.
std::string FixedText(double d, int nDecimals)
{
    std::array<char, 64> buffer{};
    const auto [pEnd, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), d,
                                             std::chars_format::fixed, nDecimals);
    if (error != std::errc())
    {
        return "?";
    }
    return std::string(buffer.data(), pEnd);
}

std::string PadLeft(const std::string& strText, std::size_t nWidth)
{
    return strText.size() >= nWidth ? strText : std::string(nWidth - strText.size(), ' ') + strText;
}

std::string PadRight(const std::string& strText, std::size_t nWidth)
{
    return strText.size() >= nWidth ? strText : strText + std::string(nWidth - strText.size(), ' ');
}

void PrintTable(const std::map<std::string, double>& timings)
{
    std::string strTable = "\nCPU time per operation (ns); ratio = ours / eigen\n";
    strTable += PadRight("op", 12) + PadLeft("n", 4) + PadLeft("ours", 16) + PadLeft("eigen", 16) +
                PadLeft("ratio", 9) + "\n";
    for (const SOperation& operation : kOperations)
    {
        for (int n : kSizes)
        {
            const auto ours = timings.find(BenchmarkName(operation.pName, "ours", n));
            const auto eigen = timings.find(BenchmarkName(operation.pName, "eigen", n));
            if (ours == timings.end() || eigen == timings.end())
            {
                continue;
            }
            strTable += PadRight(operation.pName, 12) + PadLeft(std::to_string(n), 4) +
                        PadLeft(FixedText(ours->second, 1), 16) +
                        PadLeft(FixedText(eigen->second, 1), 16) +
                        PadLeft(FixedText(ours->second / eigen->second, 2), 9) + "\n";
        }
    }
    std::fputs(strTable.c_str(), stdout);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
    {
        return 1;
    }
    RegisterAll();
    CCollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintTable(reporter.Timings());
    return 0;
}
