#include "folders/Lister.h"

namespace folders {
HANDLE Lister::FindFirst(const wchar_t *pattern, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW &entry,
                         DWORD flags) const {
    return FindFirstFileExW(pattern, level, &entry, FindExSearchNameMatch, nullptr, flags);
}

std::shared_ptr<const Lister> Lister::Platform() {
    static const std::shared_ptr<const Lister> platform = std::make_shared<const Lister>();
    return platform;
}
}
