// The tests run on a single-threaded apartment, as the plugin does inside the player.
#include <windows.h>
#include <ole2.h>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    OleInitialize(nullptr);
    const int rc = RUN_ALL_TESTS();
    OleUninitialize();
    return rc;
}
