#include "shell/shell.h"

#include <gtest/gtest.h>

TEST(MinimizedIcon, IsCentredWithTruncatingDivision) {
  const auto at = [](int w, int h) {
    const shell::Point p = shell::MinimizedIconPosition(w, h, 32, 32);
    return std::make_pair(p.x, p.y);
  };
  EXPECT_EQ(at(100, 80), std::make_pair(34, 24));
  EXPECT_EQ(at(0, 0), std::make_pair(-15, -15));
  EXPECT_EQ(at(33, 32), std::make_pair(1, 0));
}
