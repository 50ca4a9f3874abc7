#include "MediaFolder.h"

namespace test {
MediaFolder::MediaFolder(const std::vector<std::wstring> &files) {
    for (const auto &file : files) tree_.File(file);
}
}
