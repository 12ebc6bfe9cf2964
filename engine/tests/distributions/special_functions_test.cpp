#include <gtest/gtest.h>
#include "distributions/special_functions.h"
TEST(SpecialFunctions, Smoke) { EXPECT_NEAR((double)tesmira::InverseNormal(0.95L), 1.6448536, 1e-6); }
