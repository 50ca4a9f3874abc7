#include "folders/ProgressLine.h"

#include <shlwapi.h>
#include "win32/Accessible.h"
#include "win32/Clock.h"
#include "win32/Decimal.h"
#include "win32/Module.h"

namespace folders {
namespace {
// NUMBERFMTW's grouping from the locale's "3;0" (3), "3;2;0" (32) or "3" (30).
UINT GroupingOf(const wchar_t *text) {
    UINT grouping = 0;
    for (const wchar_t *c = text; *c; ++c)
        if (*c >= L'0' && *c <= L'9') grouping = grouping * 10 + static_cast<UINT>(*c - L'0');
    if (std::wstring_view(text).ends_with(L";0")) grouping /= 10;
    else grouping *= 10;
    return grouping ? grouping : 3;
}

std::wstring Grouped(size_t n) {
    const std::wstring digits = Decimal(n);
    wchar_t separator[8] = L",", grouping[16] = L"3;0", out[64];
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SGROUPING, grouping, 16);
    wchar_t point[] = L".";
    NUMBERFMTW format{0, 1, GroupingOf(grouping), point, separator, 1};
    return GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, digits.c_str(), &format, out, 64) > 0 ? out : digits;
}

std::wstring WaitingText(size_t waiting) {
    if (waiting == 0) return {};
    return L" (" + Grouped(waiting) + (waiting == 1 ? L" more folder waiting)" : L" more folders waiting)");
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

int TextWidth(HDC dc, const std::wstring &text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The folder in `width` pixels: whole, or its root and as many of its last names as fit
// ("C:\...\Album 4").
std::wstring Compacted(HDC dc, const std::wstring &folder, int width) {
    if (TextWidth(dc, folder) <= width) return folder;
    size_t root = folder.find(L'\\', folder.starts_with(L"\\\\") ? 2 : 0);
    if (folder.starts_with(L"\\\\") && root != std::wstring::npos) root = folder.find(L'\\', root + 1);
    if (root == std::wstring::npos) return folder;
    std::wstring shorter;
    for (size_t cut = folder.find(L'\\', root + 1); cut != std::wstring::npos; cut = folder.find(L'\\', cut + 1)) {
        shorter = folder.substr(0, root) + L"\\..." + folder.substr(cut);
        if (TextWidth(dc, shorter) <= width) return shorter;
    }
    return shorter.empty() ? folder : shorter;
}
}

std::wstring FilesText(size_t files) { return Grouped(files) + (files == 1 ? L" file" : L" files"); }

void ProgressLine::Create(HWND dialog, HWND holder) {
    line_ = CreateWindowExW(0, L"Static", L"", WS_CHILD | SS_OWNERDRAW | SS_NOPREFIX, 0, 0, 0, 0, dialog, nullptr,
                            Module::Instance(), nullptr);
    if (!line_) return;
    SendMessageW(line_, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    Accessible::MakePoliteLiveRegion(line_);
    Place(dialog, holder);
}

void ProgressLine::Destroy() {
    if (line_) Accessible::Forget(line_);
    line_ = nullptr;
}

void ProgressLine::Place(HWND dialog, HWND tree) {
    const HWND addDir = GetDlgItem(dialog, IDOK);
    if (!line_ || !tree || !addDir) return;
    TEXTMETRICW metrics{};
    if (HDC dc = GetDC(line_)) {
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(line_, WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(line_, dc);
    }
    const int height = metrics.tmHeight + 2;
    RECT treeRect = ChildRect(dialog, tree);
    const RECT buttonRect = ChildRect(dialog, addDir);
    if (buttonRect.top - treeRect.bottom < height + 4) {
        treeRect.bottom = buttonRect.top - height - 4;
        SetWindowPos(tree, nullptr, 0, 0, treeRect.right - treeRect.left, treeRect.bottom - treeRect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int top = treeRect.bottom + (buttonRect.top - treeRect.bottom - height) / 2;
    SetWindowPos(line_, nullptr, treeRect.left, top, treeRect.right - treeRect.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(line_, nullptr, TRUE);
}

void ProgressLine::Show(std::wstring head, std::wstring_view folder, size_t waiting) {
    head_ = std::move(head);
    folder_.assign(folder);
    tail_ = WaitingText(waiting);
    if (!line_) return;
    SetWindowTextW(line_, (head_ + folder_ + tail_).c_str());
    if (!IsWindowVisible(line_)) ShowWindow(line_, SW_SHOWNA);
    InvalidateRect(line_, nullptr, TRUE);
}

void ProgressLine::Announce() {
    announcedAt_ = Clock::NowMs();
    if (line_) Accessible::LiveRegionChanged(line_);
}

void ProgressLine::Starting(size_t sent, std::wstring_view folder, size_t waiting) {
    Show(L"Adding: " + FilesText(sent) + L", reading ", folder, waiting);
    Announce();
}

void ProgressLine::Walking(size_t sent, std::wstring_view folder, size_t waiting) {
    Show(L"Adding: " + FilesText(sent) + L", reading ", folder, waiting);
    if (Clock::NowMs() - announcedAt_ >= kAnnounceEveryMs) Announce();
}

void ProgressLine::Waiting(size_t waiting) {
    std::wstring head = head_;
    Show(std::move(head), std::wstring(folder_), waiting);
    Announce();
}

void ProgressLine::Ended(size_t sent, bool stopped) {
    Show((stopped ? L"Stopped: added " : L"Added ") + FilesText(sent) + L".", {}, 0);
    Announce();
}

void ProgressLine::Draw(const DRAWITEMSTRUCT &item) const {
    HDC dc = item.hDC;
    RECT box = item.rcItem;
    const auto brush =
        reinterpret_cast<HBRUSH>(SendMessageW(GetParent(item.hwndItem), WM_CTLCOLORSTATIC,
                                              reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(item.hwndItem)));
    FillRect(dc, &box, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    const int room = box.right - box.left - TextWidth(dc, head_) - TextWidth(dc, tail_);
    const std::wstring text = head_ + Compacted(dc, folder_, room) + tail_;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
    SelectObject(dc, old);
}
}
