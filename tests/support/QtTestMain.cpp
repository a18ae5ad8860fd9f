#include <QApplication>
#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

// One QApplication for the whole binary: Qt allows only one, and widgets made
// by any test need it.
int main(int argc, char **argv)
{
    quaverly::test::SetTestEnvironmentDefaults();
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
