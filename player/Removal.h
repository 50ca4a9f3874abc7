#pragma once
// Plugin files the player deletes when it restarts, before it loads any: a plugin that hooks
// the player's window cannot be unloaded while the player runs, and a loaded DLL cannot be
// deleted. The list is a file of its own, one full path a line (UTF-16).
#include <string>
#include <vector>

namespace Removal {
// Adds `file` to the list; false when the list could not be written.
bool Schedule(const std::wstring &list, const std::wstring &file);
// The files the list names.
std::vector<std::wstring> Pending(const std::wstring &list);
// Deletes every listed file; those that could not be deleted stay listed.
void RunPending(const std::wstring &list);
}
