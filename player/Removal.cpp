#include "Removal.h"

#include <windows.h>
#include "win32/Handles.h"

namespace Removal {
namespace {
bool Write(const std::wstring &list, const std::vector<std::wstring> &files) {
    if (files.empty()) return DeleteFileW(list.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    std::wstring text;
    for (const auto &file : files) text += file + L"\n";
    FileHandle out(CreateFileW(list.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(out.Get(), text.data(), bytes, &written, nullptr) && written == bytes;
}
}

std::vector<std::wstring> Pending(const std::wstring &list) {
    std::vector<std::wstring> files;
    if (list.empty()) return files;
    FileHandle in(CreateFileW(list.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!in) return files;
    LARGE_INTEGER size{};
    std::wstring text;
    if (GetFileSizeEx(in.Get(), &size) && size.QuadPart < (1 << 20)) {
        text.resize(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t));
        DWORD read = 0;
        if (!ReadFile(in.Get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr))
            read = 0;
        text.resize(read / sizeof(wchar_t));
    }
    in.Reset();
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) files.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return files;
}

bool Schedule(const std::wstring &list, const std::wstring &file) {
    if (list.empty()) return false;
    std::vector<std::wstring> files = Pending(list);
    for (const auto &listed : files)
        if (CompareStringOrdinal(listed.c_str(), -1, file.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
    files.push_back(file);
    return Write(list, files);
}

void RunPending(const std::wstring &list) {
    std::vector<std::wstring> left;
    for (const auto &file : Pending(list))
        if (!DeleteFileW(file.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) left.push_back(file);
    if (!list.empty()) Write(list, left);
}
}
