#include <gtest/gtest.h>

#include "startup/SharedState.h"

namespace neva {
namespace {

TEST(FixedText, CutsLongTextsAndPadsShortOnes) {
    FixedText<20> name;
    name = "ABCDEFGHIJKLMNOPQRSTUVWXY";  // 25 characters
    EXPECT_EQ(name.str(), "ABCDEFGHIJKLMNOPQRST");
    name = "ABC";
    EXPECT_EQ(name.str(), "ABC" + std::string(17, ' '));
    EXPECT_EQ(name.trimmed_right(), "ABC");
    name = "";
    EXPECT_EQ(name.str(), std::string(20, ' '));
}

}  // namespace
}  // namespace neva
