#pragma once
// The player's file associations: each media extension names a ProgID whose description is
// "Winamp media file", which is how the shell tells the player's media files apart, as long as
// the player is the program Windows opens them with.
#include <windows.h>
#include <string>

namespace FileAssociations {
inline constexpr wchar_t kProgId[] = L"Winamp.File";
inline constexpr const wchar_t *kExtensions[] = {L".mp3", L".mp2", L".ogg", L".flac", L".wav", L".wma",
                                                 L".m4a", L".aac", L".mid", L".mod", L".voc", L".aiff"};
// Another program that the user chose to open the same kinds with, as Windows 8 and later
// let a user do and no installer can undo.
inline constexpr wchar_t kOtherProgId[] = L"OtherPlayer.File";
inline constexpr wchar_t kOtherDescription[] = L"VLC media file";

// Writes the associations below HKCU\Software\Classes, as the player does when it starts;
// with `otherIsDefault` the extensions name the other program's ProgID instead, as the shell
// then reports them.
void Register(bool otherIsDefault = false);

// The player's answers to IPC_GET_EXTLIST, blocks allocated with GlobalAlloc(GPTR) that the
// caller frees. The list (any wParam but 1): its extensions, upper case, without dots and
// without duplicates, each ended by a zero byte, then an empty entry, then kExtensionListSlack
// zero bytes. The filter (wParam 1): an open-dialog filter, pairs of description and
// patterns, each ended by a zero byte, then an empty entry.
inline constexpr size_t kExtensionListSlack = 1024;
HGLOBAL ExtensionListBlock();
HGLOBAL OpenFilterBlock();
}
