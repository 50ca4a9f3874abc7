#pragma once
// A walk held at a chosen folder: a library whose second subfolder's listing waits at a gate
// until the test opens it, the first subfolder's file already sent. The walk as "Add Dir" starts
// it, without the browser; or, given to the browser, the browser's.
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "ListingGate.h"
#include "MediaType.h"
#include "TempTree.h"

namespace folders {
class WalkObserver;
}

namespace test {
class HeldWalk {
public:
    HeldWalk();

    const std::wstring &Folder() const { return folder_; }
    // The subfolder whose listing waits at the gate.
    const std::wstring &Gated() const { return gated_; }
    const std::shared_ptr<ListingGate> &Gate() const { return gate_; }
    // The file sent before the gate, and every file in the walk's order.
    const std::wstring &First() const { return files_.front(); }
    const std::vector<std::wstring> &Files() const { return files_; }

    // Presses "Add Dir" on the folder, recursing, as the browser does, and pumps this thread's
    // messages until the walk is held; false when it did not start or come to the gate.
    bool Start(folders::WalkObserver &observer);

private:
    MediaType type_{L".dhw", L"Winamp media file"};
    TempTree tree_;
    std::wstring folder_, gated_;
    std::vector<std::wstring> files_;
    std::shared_ptr<ListingGate> gate_;
};
}
