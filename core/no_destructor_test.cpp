#include "core/no_destructor.h"

#include <gtest/gtest.h>

namespace {
struct Tracked {
  Tracked(int value, bool* destroyed) : value(value), destroyed(destroyed) {}
  ~Tracked() { *destroyed = true; }
  int value;
  bool* destroyed;
};
}  // namespace

TEST(NoDestructor, BuildsInPlaceFromItsArgumentsAndNeverDestroys) {
  bool destroyed = false;
  {
    NoDestructor<Tracked> holder(7, &destroyed);
    EXPECT_EQ(holder->value, 7);
    EXPECT_EQ(&*holder, holder.get());
  }
  EXPECT_FALSE(destroyed);
}

TEST(NoDestructor, AFunctionLocalHolderIsBuiltOnceAndKeepsItsState) {
  auto counter = []() -> int& {
    static NoDestructor<int> value(41);
    return *value;
  };
  ++counter();
  EXPECT_EQ(counter(), 42);
  EXPECT_EQ(&counter(), &counter());
}
