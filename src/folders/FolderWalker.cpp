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

// Kept subfolder names start with one of these: only a link (a junction, a symbolic link, a
// mount point) can lead back to a folder the walk is already in.
constexpr wchar_t kPlainFolder = L'd';
constexpr wchar_t kLinkFolder = L'l';
wchar_t FolderKind(const WIN32_FIND_DATAW &entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? kLinkFolder : kPlainFolder;
}

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
    frames_.clear();
    links_ = 0;
    types_.Clear();
    if (path_.Assign(folder)) {
        frames_.push_back({path_.Length(), false, {}});
        WalkFolder(0);
    } else {
        ++result_.unreadable;
        result_.firstUnreadable.emplace_back(folder);
    }
    return std::move(result_);
}

void FolderWalker::WalkFolder(size_t depth) {
    if (levels_.size() <= depth) levels_.emplace_back();
    Level &level = levels_[depth];
    if (ReadLevel(level)) {
        if (recurse_) VisitSubfolders(level, depth);
        SendFiles(level);
    } else {
        NoteUnreadable();
    }
}

void FolderWalker::VisitSubfolders(Level &level, size_t depth) {
    if (!level.dirsOverflow) return ForEachName(level.dirs, [&](const wchar_t *name) { Enter(name, depth); });
    const bool listed = ForEachEntry([&](const WIN32_FIND_DATAW &entry) {
        if (!IsFolder(entry)) return;
        wchar_t kept[MAX_PATH + 1] = {FolderKind(entry)};
        wcsncpy(kept + 1, entry.cFileName, MAX_PATH - 1);
        Enter(kept, depth);
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

void FolderWalker::Enter(const wchar_t *entry, size_t depth) {
    const bool link = entry[0] == kLinkFolder;
    const size_t mark = path_.Push(entry + 1);
    Frame frame{path_.Length(), false, {}};
    if (link || links_ > 0) {
        if (!Identify(frame.length, frame.id)) {
            NoteUnreadable();
            return path_.Truncate(mark);
        }
        // A link back to a folder we are inside of would never end.
        if (OnCurrentPath(frame.id)) return path_.Truncate(mark);
        frame.known = true;
    }
    frames_.push_back(frame);
    links_ += link;
    WalkFolder(depth + 1);
    links_ -= link;
    frames_.pop_back();
    path_.Truncate(mark);
}

bool FolderWalker::OnCurrentPath(const DirId &id) {
    for (Frame &frame : frames_) {
        if (!frame.known) frame.known = Identify(frame.length, frame.id);
        if (frame.known && frame.id == id) return true;
    }
    return false;
}

void FolderWalker::SendFile(const wchar_t *name) {
    const size_t mark = path_.Push(name);
    sender_.Send(path_);
    ++result_.sent;
    path_.Truncate(mark);
}

// `length` chars of the current path name the folder: one on the path, or the one just entered.
bool FolderWalker::Identify(size_t length, DirId &id) {
    // The trailing backslash names the folder itself, also for a drive root.
    std::wstring folderPath(path_.Extended(), length);
    folderPath.push_back(L'\\');
    FileHandle folder(CreateFileW(folderPath.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
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
            if (recurse_) Keep(level, level.dirs, level.dirsOverflow, FolderKind(entry), entry.cFileName);
        } else if (!level.filesOverflow && types_.IsMedia(path_, entry.cFileName)) {
            Keep(level, level.files, level.filesOverflow, 0, entry.cFileName);
        }
    });
}

void FolderWalker::Keep(Level &level, std::wstring &names, bool &overflow, wchar_t kind, const wchar_t *name) const {
    if (overflow) return;
    const size_t length = std::wcslen(name) + 1 + (kind != 0);
    if (level.dirs.size() + level.files.size() + length > budget_) {
        overflow = true;
        return;
    }
    if (kind) names.push_back(kind);
    names.append(name, length - (kind != 0));  // the name's NUL separates it from the next
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
