#include "folders/UnreadableNotice.h"

#include "win32/Decimal.h"
#include "core/modGlobalDefinitions.h"

namespace folders {
std::wstring UnreadableText(const WalkResult &result) {
    std::wstring text = result.unreadable == 1
                            ? std::wstring(L"1 folder could not be read and was skipped:\n")
                            : Decimal(result.unreadable) + L" folders could not be read and were skipped:\n";
    for (const auto &name : result.firstUnreadable) text.append(L"\n").append(name);
    const size_t unnamed = result.unreadable - result.firstUnreadable.size();
    if (unnamed) text.append(L"\n... and ").append(Decimal(unnamed)).append(L" more");
    return text;
}

void ShowUnreadableNotice(HWND owner, const WalkResult &result) {
    MessageBoxW(owner, UnreadableText(result).c_str(), modGlobalDefinitions::AppTitleW, MB_OK | MB_ICONWARNING);
}
}
