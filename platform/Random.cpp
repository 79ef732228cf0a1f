#include "platform/Random.h"

int CRandomGenerator::Next()
{
    // Unsigned arithmetic wraps modulo 2^32, which is exactly the generator's
    // state update.
    m_nState = m_nState * 214013u + 2531011u;
    return static_cast<int>((m_nState >> 16) & 0x7FFFu);
}
