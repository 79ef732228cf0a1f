// The program's pseudo-random generator: the classic 32-bit linear
// congruential generator, so that a seed always gives the same sequence.
#pragma once

#include <cstdint>

class CRandomGenerator
{
public:
    // Sets the state to the seed.
    void Seed(std::uint32_t nSeed) { m_nState = nSeed; }
    // Advances the state and returns a value from 0 to 32767.
    int Next();

private:
    std::uint32_t m_nState = 1;
};
