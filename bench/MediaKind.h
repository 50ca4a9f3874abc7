#pragma once
// The benchmark's media kind: ".dhm" described as "Winamp media file" while it runs, where the
// shell reads it (the machine's classes, and the user's), as the player registers its kinds.
#include <windows.h>

namespace bench {
class MediaKind {
public:
    MediaKind();
    ~MediaKind();
    MediaKind(const MediaKind &) = delete;
    MediaKind &operator=(const MediaKind &) = delete;
};
}
