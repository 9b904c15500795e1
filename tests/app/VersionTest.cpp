#include "app/Version.h"

#include <gtest/gtest.h>

#include <string>

TEST(Version, IsTheProjectVersion) { EXPECT_EQ(std::string(ravix::ProductVersionText()), "1.0"); }
