#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

int main(int argc, char **argv)
{
    quaverly::test::SetTestEnvironmentDefaults();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
