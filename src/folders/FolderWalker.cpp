#include "FolderWalker.h"

#include <algorithm>
#include <cwchar>
#include "Handles.h"

namespace modDirhoardEx {
namespace {
bool IsDotEntry(const wchar_t *name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool IsFolder(const WIN32_FIND_DATAW &entry) { return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Basic information and large fetches where the system knows them (Windows 7 on).
HANDLE FindFirst(const wchar_t *pattern, WIN32_FIND_DATAW &entry) {
    static bool plainOnly = false;
    if (!plainOnly) {
        HANDLE h = FindFirstFileExW(pattern, FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                    FIND_FIRST_EX_LARGE_FETCH);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER) return h;
    }
    HANDLE h = FindFirstFileExW(pattern, FindExInfoStandard, &entry, FindExSearchNameMatch, nullptr, 0);
    if (h != INVALID_HANDLE_VALUE) plainOnly = true;
    return h;
}

template <class F>
void ForEachName(const std::wstring &names, F &&visit) {
    for (const wchar_t *name = names.c_str(), *end = name + names.size(); name < end; name += std::wcslen(name) + 1)
        visit(name);
}
}

FolderWalker::FolderWalker(HWND player, COPYDATASTRUCT &record, TypeLookup lookup, size_t levelBudget)
    : sender_(player, record), types_(lookup), budget_(levelBudget) {}

WalkResult FolderWalker::Walk(std::wstring_view folder, bool recurse) {
    result_ = {};
    recurse_ = recurse;
    ancestors_.clear();
    types_.Clear();
    if (path_.Assign(folder)) {
        WalkFolder(0);
    } else {
        ++result_.unreadable;
        result_.firstUnreadable.emplace_back(folder);
    }
    return std::move(result_);
}

void FolderWalker::WalkFolder(size_t depth) {
    DirId id{};
    if (!Identify(id)) return NoteUnreadable();
    // A link back to a folder we are inside of would never end.
    if (std::find(ancestors_.begin(), ancestors_.end(), id) != ancestors_.end()) return;
    ancestors_.push_back(id);
    if (levels_.size() <= depth) levels_.emplace_back();
    Level &level = levels_[depth];
    if (ReadLevel(level)) {
        if (recurse_) VisitSubfolders(level, depth);
        SendFiles(level);
    } else {
        NoteUnreadable();
    }
    ancestors_.pop_back();
}

void FolderWalker::VisitSubfolders(Level &level, size_t depth) {
    if (!level.dirsOverflow) return ForEachName(level.dirs, [&](const wchar_t *name) { Enter(name, depth); });
    const bool listed = ForEachEntry([&](const WIN32_FIND_DATAW &entry) {
        if (IsFolder(entry)) Enter(entry.cFileName, depth);
    });
    if (!listed) NoteUnreadable();
}

void FolderWalker::SendFiles(Level &level) {
    if (!level.filesOverflow) return ForEachName(level.files, [&](const wchar_t *name) { SendFile(name); });
    const bool listed = ForEachEntry([&](const WIN32_FIND_DATAW &entry) {
        if (!IsFolder(entry) && types_.IsMedia(path_, entry.cFileName)) SendFile(entry.cFileName);
    });
    if (!listed) NoteUnreadable();
}

void FolderWalker::Enter(const wchar_t *name, size_t depth) {
    const size_t mark = path_.Push(name);
    WalkFolder(depth + 1);
    path_.Truncate(mark);
}

void FolderWalker::SendFile(const wchar_t *name) {
    const size_t mark = path_.Push(name);
    sender_.Send(path_);
    ++result_.sent;
    path_.Truncate(mark);
}

bool FolderWalker::Identify(DirId &id) {
    // The trailing backslash names the folder itself, also for a drive root.
    const size_t mark = path_.Push(L"");
    FileHandle folder(CreateFileW(path_.Extended(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    path_.Truncate(mark);
    BY_HANDLE_FILE_INFORMATION info;
    if (!folder || !GetFileInformationByHandle(folder.Get(), &info)) return false;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool FolderWalker::ReadLevel(Level &level) {
    level.dirs.clear();
    level.files.clear();
    level.dirsOverflow = level.filesOverflow = false;
    return ForEachEntry([&](const WIN32_FIND_DATAW &entry) {
        if (IsFolder(entry)) {
            if (recurse_) Keep(level, level.dirs, level.dirsOverflow, entry.cFileName);
        } else if (!level.filesOverflow && types_.IsMedia(path_, entry.cFileName)) {
            Keep(level, level.files, level.filesOverflow, entry.cFileName);
        }
    });
}

void FolderWalker::Keep(Level &level, std::wstring &names, bool &overflow, const wchar_t *name) const {
    if (overflow) return;
    const size_t length = std::wcslen(name) + 1;
    if (level.dirs.size() + level.files.size() + length > budget_) {
        overflow = true;
        return;
    }
    names.append(name, length);  // the name's NUL separates it from the next
}

template <class F>
bool FolderWalker::ForEachEntry(F &&visit) {
    WIN32_FIND_DATAW entry;
    const size_t mark = path_.Push(L"*");
    FindHandle find(FindFirst(path_.Extended(), entry));
    const DWORD error = find ? ERROR_SUCCESS : GetLastError();
    path_.Truncate(mark);
    // A drive root without entries lists nothing at all, not even "." and "..".
    if (!find) return error == ERROR_FILE_NOT_FOUND;
    do {
        if (!IsDotEntry(entry.cFileName)) visit(entry);
    } while (FindNextFileW(find.Get(), &entry));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

void FolderWalker::NoteUnreadable() {
    ++result_.unreadable;
    if (result_.firstUnreadable.size() >= kNamedUnreadable) return;
    std::wstring name(path_.Ordinary());
    if (name.ends_with(L':')) name.push_back(L'\\');
    result_.firstUnreadable.push_back(std::move(name));
}
}
