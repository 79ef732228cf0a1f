// Helpers of the power and progress tests: the power as the plain chain of
// products, and sinks that watch the progress reports.
#pragma once

#include "EngineTestSupport.h"
#include "engine/Progress.h"

#include <stdexcept>
#include <string>
#include <vector>

// The base raised to k the plain way: k - 1 products, the running result on
// the left.
inline CMatrix PlainPower(const CMatrix& base, int k)
{
    if (k == 0)
    {
        return Identity(base.m_nRows);
    }
    CMatrix r = base;
    for (int nStep = 1; nStep < k; ++nStep)
    {
        r = r * base;
    }
    return r;
}

// Records every report.
class CRecordingSink : public IProgressSink
{
public:
    struct SReport
    {
        long long nDone;
        long long nTotal;
    };
    void OnProgress(long long nDone, long long nTotal) override
    {
        m_reports.push_back({nDone, nTotal});
    }
    std::vector<SReport> m_reports;
};

// The power, refused with an exception once it has computed more than
// nLimit products: proof that it jumped, without waiting for it when it
// does not.
inline CMatrix LimitedPower(const CMatrix& base, double dExponent, long long nLimit)
{
    class CLimitingSink : public IProgressSink
    {
    public:
        explicit CLimitingSink(long long nLimit) : m_nLimit(nLimit) {}
        void OnProgress(long long nDone, long long) override
        {
            if (nDone > m_nLimit)
            {
                throw std::runtime_error("more than " + std::to_string(m_nLimit) + " products");
            }
        }

    private:
        long long m_nLimit;
    };
    CLimitingSink sink(nLimit);
    CProgressScope scope(&sink);
    return Power(base, Scalar(dExponent));
}
