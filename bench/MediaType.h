#pragma once
// The media type the benchmark's generated trees use.

namespace bench {
// Registers ".dhm" per user as "Winamp media file" for the run; undone by the destructor.
class MediaType {
public:
    MediaType();
    ~MediaType();
    MediaType(const MediaType &) = delete;
    MediaType &operator=(const MediaType &) = delete;
};
}
