#include "win32/RegistryWatch.h"

bool RegistryWatch::Arm() {
    watched_.clear();
    for (const auto &[root, path] : keys_) {
        Watched w;
        std::wstring at = path;
        while (RegOpenKeyExW(root, at.c_str(), 0, KEY_NOTIFY, w.key.Put()) != ERROR_SUCCESS) {
            const size_t slash = at.find_last_of(L'\\');
            if (slash == std::wstring::npos) return false;
            at.resize(slash);
        }
        w.changed.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!w.changed || RegNotifyChangeKeyValue(w.key.Get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                                  w.changed.Get(), TRUE) != ERROR_SUCCESS)
            return false;
        watched_.push_back(std::move(w));
    }
    return true;
}

bool RegistryWatch::Changed() {
    bool changed = watched_.size() != keys_.size();
    for (const Watched &w : watched_) changed |= WaitForSingleObject(w.changed.Get(), 0) != WAIT_TIMEOUT;
    if (!changed) return false;
    if (!Arm()) watched_.clear();
    return true;
}
