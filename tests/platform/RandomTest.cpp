#include "platform/Random.h"

#include <gtest/gtest.h>

TEST(RandomGenerator, SeedOneGivesTheClassicSequence)
{
    CRandomGenerator gen;
    gen.Seed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (const int n : expected)
        EXPECT_EQ(gen.Next(), n);
}

TEST(RandomGenerator, DefaultStateIsSeedOne)
{
    CRandomGenerator gen;
    EXPECT_EQ(gen.Next(), 41);
}

TEST(RandomGenerator, OtherSeedsAndWrapAround)
{
    CRandomGenerator gen;
    gen.Seed(0);
    EXPECT_EQ(gen.Next(), 38);
    EXPECT_EQ(gen.Next(), 7719);
    EXPECT_EQ(gen.Next(), 21238);

    // A large seed must wrap modulo 2^32 and stay within 0..32767.
    gen.Seed(0xFFFFFFFFu);
    std::uint32_t nState = 0xFFFFFFFFu;
    for (int i = 0; i < 1000; ++i)
    {
        nState = nState * 214013u + 2531011u;
        const int n = gen.Next();
        EXPECT_EQ(n, static_cast<int>((nState >> 16) & 0x7FFF));
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 32767);
    }
}

TEST(RandomGenerator, ReseedingRepeatsTheSequence)
{
    CRandomGenerator a;
    CRandomGenerator b;
    a.Seed(12345);
    b.Seed(12345);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(a.Next(), b.Next());
}
