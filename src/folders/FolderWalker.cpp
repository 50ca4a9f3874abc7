#include "folders/FolderWalker.h"

#include <algorithm>
#include <atomic>
#include <cwchar>

namespace folders {
namespace {
bool IsDotEntry(const wchar_t *name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool IsFolder(const WIN32_FIND_DATAW &entry) { return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Kept subfolder names start with one of these: only a link (a junction, a symbolic link, a
// mount point) can lead back to a folder the walk is already in, or into one walked already.
constexpr wchar_t kPlainFolder = L'd';
constexpr wchar_t kLinkFolder = L'l';
wchar_t FolderKind(const WIN32_FIND_DATAW &entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? kLinkFolder : kPlainFolder;
}

// Basic information and large fetches where the system knows them (Windows 7 on). A system
// that refuses them (ERROR_INVALID_PARAMETER, before Windows 7) refuses them every time, so
// after its first refusal the process asks only for the plain listing.
std::atomic<bool> plainOnly{false};

// `inner` is `outer` or lies below it; both are final paths, compared as the file system does.
bool IsInside(std::wstring_view inner, std::wstring_view outer) {
    if (outer.empty() || inner.size() < outer.size()) return false;
    if (CompareStringOrdinal(inner.data(), static_cast<int>(outer.size()), outer.data(),
                             static_cast<int>(outer.size()), TRUE) != CSTR_EQUAL)
        return false;
    return inner.size() == outer.size() || inner[outer.size()] == L'\\' || outer.back() == L'\\';
}
}

FolderWalker::FolderWalker(WalkSink &sink, const Lister &lister, size_t levelBudget)
    : sink_(sink), lister_(lister), builder_(sink), budget_(levelBudget) {
    types_.BeforeAsking([this] { sink_.Pausing(); });
}

HANDLE FolderWalker::FindFirst(const wchar_t *pattern, WIN32_FIND_DATAW &entry) {
    if (!plainOnly.load(std::memory_order_relaxed)) {
        HANDLE h = lister_.FindFirst(pattern, FindExInfoBasic, entry, FIND_FIRST_EX_LARGE_FETCH);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER) return h;
    }
    HANDLE h = lister_.FindFirst(pattern, FindExInfoStandard, entry, 0);
    if (h != INVALID_HANDLE_VALUE) plainOnly = true;
    return h;
}

WalkResult FolderWalker::Walk(std::wstring_view folder, bool recurse, WinampHost::ExtensionList played,
                              ShellAnswers::Kept earlier) {
    result_ = {};
    recurse_ = recurse;
    links_ = 0;
    walkedTargets_.clear();
    walkedIds_.clear();
    types_.Reset(std::move(played), std::move(earlier));
    if (!path_.Assign(folder)) {
        ++result_.unreadable;
        result_.firstUnreadable.emplace_back(folder);
        return Result();
    }
    if (levels_.empty()) levels_.emplace_back();
    levels_[0].known = false;
    if (!Open(0, path_.Length(), false, NeedsExactPath(path_.Ordinary()))) return Result();

    std::wstring entry;
    size_t depth = 0;
    for (;;) {
        Level &level = levels_[depth];
        if (Stopping()) {
            for (Level &open : levels_) open.listing.Reset();
            break;
        }
        if (recurse_ && NextSubfolder(level, entry)) {
            Enter(entry, depth + 1);
            if (path_.Length() != level.length) ++depth;
            continue;
        }
        SendFiles(level);
        level.listing.Reset();
        links_ -= level.link;
        path_.Truncate(level.mark);
        if (depth == 0) break;
        --depth;
    }
    return Result();
}

// Lists the folder the path names as the one current at `depth`; false when it could not be read.
bool FolderWalker::Open(size_t depth, size_t mark, bool link, bool exact) {
    if (levels_.size() <= depth) levels_.emplace_back();
    Level &level = levels_[depth];
    level.mark = mark;
    level.length = path_.Length();
    level.link = link;
    level.exact = exact;
    sink_.Reading(path_.Ordinary());
    if (!ReadLevel(level)) {
        NoteUnreadable();
        return false;
    }
    links_ += link;
    return true;
}

// Pushes the subfolder and opens it at `depth`, or leaves the path as it was when the
// subfolder is not to be walked.
void FolderWalker::Enter(const std::wstring &entry, size_t depth) {
    const bool link = entry[0] == kLinkFolder;
    const wchar_t *name = entry.c_str() + 1;
    const bool exact = levels_[depth - 1].exact || NeedsExactName(name);
    const size_t mark = path_.Push(name);
    if (levels_.size() <= depth) levels_.emplace_back();
    Level &level = levels_[depth];
    level.length = path_.Length();
    level.link = link;
    if (!Admit(level, depth) || !Open(depth, mark, link, exact)) path_.Truncate(mark);
}

// Whether the folder just pushed is to be walked: not when a link leads back into a folder
// the walk is in, or to files this press has sent or will send by another way.
bool FolderWalker::Admit(Level &level, size_t depth) {
    level.known = false;
    if (!level.link && links_ == 0) return true;
    std::wstring target;
    if (!Identify(level.length, level.id, level.link ? &target : nullptr)) {
        NoteUnreadable();
        return false;
    }
    level.known = true;
    if (OnCurrentPath(level.id, depth)) return false;
    if (std::find(walkedIds_.begin(), walkedIds_.end(), level.id) != walkedIds_.end()) return false;
    if (!level.link) return true;
    if (walkedTargets_.empty()) {
        // The selected folder itself, read at the first link only.
        std::wstring selected;
        Level &root = levels_[0];
        root.known = Identify(root.length, root.id, &selected);
        walkedTargets_.push_back(std::move(selected));
    }
    if (IsWalkedTarget(target)) return false;
    walkedTargets_.push_back(std::move(target));
    walkedIds_.push_back(level.id);
    return true;
}

bool FolderWalker::IsWalkedTarget(const std::wstring &finalPath) const {
    return std::any_of(walkedTargets_.begin(), walkedTargets_.end(),
                       [&](const std::wstring &walked) { return IsInside(finalPath, walked); });
}

bool FolderWalker::OnCurrentPath(const DirId &id, size_t depth) {
    for (size_t i = 0; i < depth; ++i) {
        Level &level = levels_[i];
        if (!level.known) level.known = Identify(level.length, level.id);
        if (level.known && level.id == id) return true;
    }
    return false;
}

// The next subfolder of the current folder, led by its kind; false after the last.
bool FolderWalker::NextSubfolder(Level &level, std::wstring &entry) {
    if (!level.dirsOverflow) {
        if (level.nextDir >= level.dirs.size()) return false;
        entry.assign(level.dirs.c_str() + level.nextDir);
        level.nextDir += entry.size() + 1;
        return true;
    }
    // Too many to keep: listed a second time, one entry per call.
    if (level.nextDir == std::wstring::npos) return false;
    WIN32_FIND_DATAW found;
    for (;;) {
        bool got;
        if (!level.listing) {
            const size_t mark = path_.Push(L"*");
            level.listing.Reset(FindFirst(path_.Extended(), found));
            path_.Truncate(mark);
            got = static_cast<bool>(level.listing);
        } else {
            got = FindNextFileW(level.listing.Get(), &found) != FALSE;
        }
        if (!got) {
            const DWORD error = GetLastError();
            if (error != ERROR_NO_MORE_FILES && error != ERROR_FILE_NOT_FOUND) NoteUnreadable();
            level.listing.Reset();
            level.nextDir = std::wstring::npos;
            return false;
        }
        if (IsFolder(found) && !IsDotEntry(found.cFileName)) {
            entry.assign(1, FolderKind(found)).append(found.cFileName);
            return true;
        }
    }
}

void FolderWalker::SendFiles(Level &level) {
    if (!level.filesOverflow) {
        for (const wchar_t *name = level.files.c_str(), *end = name + level.files.size(); name < end;
             name += std::wcslen(name) + 1) {
            if (Stopping()) return;
            if (types_.IsMedia(name)) SendFile(name, level.exact);
        }
        return;
    }
    const bool listed = ForEachEntry([&](const WIN32_FIND_DATAW &entry) {
        if (!IsFolder(entry) && types_.IsMedia(entry.cFileName)) SendFile(entry.cFileName, level.exact);
    });
    if (!listed) NoteUnreadable();
}

void FolderWalker::SendFile(const wchar_t *name, bool exact) {
    const size_t mark = path_.Push(name);
    builder_.Build(path_, exact || NeedsExactName(name));
    ++result_.sent;
    path_.Truncate(mark);
}

// `length` chars of the current path name the folder: one on the path, or the one just
// entered. `finalPath`, when asked for, gets where its links lead.
bool FolderWalker::Identify(size_t length, DirId &id, std::wstring *finalPath) {
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
    if (finalPath) {
        finalPath->assign(MAX_PATH, L'\0');
        DWORD n = GetFinalPathNameByHandleW(folder.Get(), finalPath->data(), MAX_PATH, FILE_NAME_NORMALIZED);
        if (n >= MAX_PATH) {
            finalPath->assign(n, L'\0');
            n = GetFinalPathNameByHandleW(folder.Get(), finalPath->data(), n, FILE_NAME_NORMALIZED);
        }
        // Without it the link is still walked: the identities keep loops out.
        finalPath->resize(n < finalPath->size() ? n : 0);
    }
    return true;
}

bool FolderWalker::ReadLevel(Level &level) {
    level.dirs.clear();
    level.files.clear();
    level.dirsOverflow = level.filesOverflow = false;
    level.nextDir = 0;
    level.listing.Reset();
    return ForEachEntry([&](const WIN32_FIND_DATAW &entry) {
        if (IsFolder(entry)) {
            if (recurse_) Keep(level, level.dirs, level.dirsOverflow, FolderKind(entry), entry.cFileName);
        } else {
            // Typed when sent: the first files go out before the shell is asked about a kind.
            Keep(level, level.files, level.filesOverflow, 0, entry.cFileName);
        }
    });
}

// Each kept name is followed by its NUL, which separates it from the next.
void FolderWalker::Keep(Level &level, std::wstring &names, bool &overflow, wchar_t kind, const wchar_t *name) const {
    if (overflow) return;
    const size_t length = std::wcslen(name) + 1 + (kind != 0);
    if (level.dirs.size() + level.files.size() + length > budget_) {
        overflow = true;
        return;
    }
    if (kind) names.push_back(kind);
    names.append(name, length - (kind != 0));
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
        if (Stopping()) return true;
        if (!IsDotEntry(entry.cFileName)) visit(entry);
    } while (FindNextFileW(find.Get(), &entry));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

WalkResult FolderWalker::Result() {
    result_.shellAnswers = types_.Answers();
    result_.lookups = types_.Lookups();
    return std::move(result_);
}

void FolderWalker::NoteUnreadable() {
    ++result_.unreadable;
    if (result_.firstUnreadable.size() >= kNamedUnreadable) return;
    std::wstring name(path_.Ordinary());
    if (name.ends_with(L':')) name.push_back(L'\\');
    result_.firstUnreadable.push_back(std::move(name));
}
}
