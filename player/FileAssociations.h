#pragma once
// The player's file associations: each media extension names a ProgID whose description is
// "Winamp media file", which is how the shell (and the plugin) tells media files apart.
namespace FileAssociations {
inline constexpr wchar_t kProgId[] = L"Winamp.File";
inline constexpr const wchar_t *kExtensions[] = {L".mp3", L".mp2", L".ogg", L".flac", L".wav", L".wma",
                                                 L".m4a", L".aac", L".mid", L".mod", L".voc", L".aiff"};

// Writes the associations below HKCU\Software\Classes, as the player does when it starts.
void Register();
}
