#include "HeldWalk.h"

#include "Wait.h"
#include "folders/BackgroundWalk.h"
#include "folders/modDirhoardEx.h"

namespace test {
HeldWalk::HeldWalk() : folder_(tree_.Folder(L"Library")) {
    tree_.File(L"Library\\P\\p.dhw");
    tree_.File(L"Library\\Q\\q.dhw");
    const std::vector<std::wstring> order = ListedSubfolders(folder_);
    gated_ = order.at(1);
    gate_ = std::make_shared<ListingGate>(gated_);
    for (const std::wstring &sub : order) files_.push_back(sub + (sub.ends_with(L"P") ? L"\\p.dhw" : L"\\q.dhw"));
    files_.push_back(tree_.File(L"Library\\l.dhw"));
}

bool HeldWalk::Start(folders::WalkObserver &observer) {
    return modDirhoardEx::AddFolderToPlaylist(folder_, true, observer, nullptr, gate_) &&
           PumpUntil([&] { return gate_->Reached(0); });
}
}
