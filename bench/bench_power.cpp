// Timings of Power on the kinds of matrices a user raises to large
// exponents: random values, values that sink to zero or grow to infinity,
// permutations, and rotations by an irrational angle, which never repeat and
// so show what the full chain of products costs.
//
//   bench_power [--quick]     (--quick: leave out the exponent 10^7)
#include "engine/Matrix.h"
#include "engine/Progress.h"
#include "tests/support/MatrixHelpers.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr int kSizes[] = {2, 5, 20};
constexpr long long kLargestExponent = 2147483647;

// Counts the products; this is also what an interface's sink costs at least.
class CCountingSink : public IProgressSink
{
public:
    void OnProgress(long long nDone, long long) override { m_nDone = nDone; }
    long long m_nDone = 0;
};

// A random permutation matrix of one cycle through all n positions (Sattolo's
// shuffle): its powers come back after exactly n products.
CMatrix PermutationMatrix(int n)
{
    std::vector<int> columns(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
    {
        columns[static_cast<std::size_t>(i)] = i;
    }
    std::mt19937 generator(77U + static_cast<unsigned>(n));
    for (int i = n - 1; i > 0; --i)
    {
        std::uniform_int_distribution<int> draw(0, i - 1);
        std::swap(columns[static_cast<std::size_t>(i)],
                  columns[static_cast<std::size_t>(draw(generator))]);
    }
    CMatrix m(n, n);
    for (int i = 0; i < n; ++i)
    {
        m.SetElement(i, columns[static_cast<std::size_t>(i)], 1.0);
    }
    return m;
}

// Plane rotations by irrational angles (1, sqrt 2, sqrt 3, ... radians) down
// the diagonal; a 1 on the diagonal for an odd order. The powers wander on
// the unit circle without ever coming back bit for bit.
CMatrix Rotation(int n)
{
    return RotationMatrix(n, [](int nBlock) { return std::sqrt(static_cast<double>(nBlock + 1)); });
}

struct SKind
{
    const char* pName;
    CMatrix (*pMake)(int n);
};

const SKind kKinds[] = {
    {"random [0,1]", [](int n) { return RandomMatrix(n, 1U + static_cast<unsigned>(n), 1.0); }},
    {"random x 0.01", [](int n) { return RandomMatrix(n, 2U + static_cast<unsigned>(n), 0.01); }},
    {"random x 10", [](int n) { return RandomMatrix(n, 3U + static_cast<unsigned>(n), 10.0); }},
    {"permutation", PermutationMatrix},
    {"rotation", Rotation},
};

struct SMeasurement
{
    double dSeconds;     // per call of Power
    long long nProducts; // products that one call computed
};

// Runs Power until at least dMinimum seconds have passed (at least once).
SMeasurement Measure(const CMatrix& base, long long nExponent, bool bWithSink,
                     double dMinimum = 0.2)
{
    CMatrix exponent(1, 1);
    exponent.SetElement(0, 0, static_cast<double>(nExponent));
    CCountingSink sink;
    CProgressScope scope(bWithSink ? &sink : nullptr);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    long long nCalls = 0;
    double dElapsed = 0.0;
    volatile double dSink = 0.0;
    do
    {
        const CMatrix power = Power(base, exponent);
        dSink = power.GetElement(0, 0);
        ++nCalls;
        dElapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (dElapsed < dMinimum);
    (void)dSink;
    return {dElapsed / static_cast<double>(nCalls), bWithSink ? sink.m_nDone : -1};
}

std::string Text(const char* pFormat, double d)
{
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), pFormat, d);
    return buffer.data();
}

std::string DurationText(double dSeconds)
{
    if (dSeconds < 1e-3)
    {
        return Text("%.2f us", dSeconds * 1e6);
    }
    if (dSeconds < 1.0)
    {
        return Text("%.2f ms", dSeconds * 1e3);
    }
    if (dSeconds < 3600.0)
    {
        return Text("%.2f s", dSeconds);
    }
    return Text("%.2f h", dSeconds / 3600.0);
}

} // namespace

int main(int argc, char** argv)
{
    const bool bQuick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    std::vector<long long> exponents = {1000, 100000};
    if (!bQuick)
    {
        exponents.push_back(10000000);
    }

    std::printf("Power: time per call and the products it computed (of exponent - 1)\n");
    std::printf("%-14s %3s %10s %12s %12s\n", "base", "n", "exponent", "products", "time");
    for (const SKind& kind : kKinds)
    {
        for (int n : kSizes)
        {
            const CMatrix base = kind.pMake(n);
            for (long long nExponent : exponents)
            {
                const SMeasurement m = Measure(base, nExponent, true);
                std::printf("%-14s %3d %10lld %12lld %12s\n", kind.pName, n, nExponent, m.nProducts,
                            DurationText(m.dSeconds).c_str());
            }
        }
    }

    // The worst case: a base whose powers never repeat, so that every product
    // is computed. From the rate, the time the largest exponent would take.
    std::printf("\nNo repetition (rotations): products per second, with and without a sink,\n"
                "and the time exponent %lld would take\n",
                kLargestExponent);
    std::printf("%3s %16s %16s %10s %14s\n", "n", "no sink", "counting sink", "sink cost",
                "2^31 - 1");
    for (int n : {2, 3, 5, 10, 20, 49})
    {
        const CMatrix base = Rotation(n);
        const long long nExponent = n <= 5 ? 2000000 : (n <= 20 ? 200000 : 5000);
        const SMeasurement bare = Measure(base, nExponent, false, 0.5);
        const SMeasurement counted = Measure(base, nExponent, true, 0.5);
        const double dRate = static_cast<double>(nExponent - 1) / bare.dSeconds;
        const double dCountedRate = static_cast<double>(nExponent - 1) / counted.dSeconds;
        std::printf("%3d %16s %16s %9s%% %14s\n", n, Text("%.3g /s", dRate).c_str(),
                    Text("%.3g /s", dCountedRate).c_str(),
                    Text("%.1f", (counted.dSeconds / bare.dSeconds - 1.0) * 100.0).c_str(),
                    DurationText(static_cast<double>(kLargestExponent - 1) / dRate).c_str());
        if (counted.nProducts != nExponent - 1)
        {
            std::printf("    (repeated after all: %lld products)\n", counted.nProducts);
        }
    }
    return 0;
}
