#pragma once
// Expected messages as data, then one action, then one check of what the window received,
// printing both lists when they differ.
#include <gtest/gtest.h>
#include <windows.h>
#include <vector>
#include "StandInPlayer.h"

namespace test {
struct Message {
    UINT message;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// `received` holds exactly the expected messages, in order, with their parameters; messages
// named in `ignored` are left out of `received` first.
testing::AssertionResult ReceivedSequence(const std::vector<Received> &received, const std::vector<Message> &expected,
                                          const std::vector<UINT> &ignored = {});
}
