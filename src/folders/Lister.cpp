#include "folders/Lister.h"

namespace folders {
HANDLE Lister::FindFirst(const wchar_t *pattern, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW &entry,
                         DWORD flags) const {
    return FindFirstFileExW(pattern, level, &entry, FindExSearchNameMatch, nullptr, flags);
}

namespace {
// Made as the module loads, as the walks' worker may ask for it too.
const std::shared_ptr<const Lister> platform = std::make_shared<const Lister>();
}

std::shared_ptr<const Lister> Lister::Platform() { return platform; }
}
