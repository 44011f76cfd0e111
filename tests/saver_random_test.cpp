#include "engine/saver_random.h"

#include <gtest/gtest.h>

namespace mandeldive {
namespace {

TEST(SaverRandom, ClassicSequenceForSeedOne) {
  SaverRandom random;
  random.Seed(1);
  EXPECT_EQ(random.Next(), 41);
  EXPECT_EQ(random.Next(), 18467);
  EXPECT_EQ(random.Next(), 6334);
}

TEST(SaverRandom, ReseedingRestartsAndValuesStayIn15Bits) {
  SaverRandom random;
  random.Seed(1);
  random.Next();
  random.Seed(1);
  EXPECT_EQ(random.Next(), 41);
  random.Seed(0xFFFFFFFFu);
  for (int i = 0; i < 100000; ++i) {
    const int v = random.Next();
    ASSERT_GE(v, 0);
    ASSERT_LT(v, kRandRange);
  }
}

TEST(SaverRandom, ProcessGeneratorIsOne) {
  EXPECT_EQ(&ProcessRandom(), &ProcessRandom());
}

}  // namespace
}  // namespace mandeldive
