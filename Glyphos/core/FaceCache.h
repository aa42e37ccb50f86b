// fontconfig's answers kept from one run to the next. Reading fontconfig's
// configuration (some fifty XML files) and its font caches costs a short
// command more than drawing a whole font does, yet the answer to "which face
// draws this family at this size" only changes when that configuration, a
// font folder or the environment fontconfig reads changes. So each answer
// is kept in $XDG_CACHE_HOME/glyphos/faces together with the state of every
// file and folder fontconfig read (modification time, size, inode, or their
// absence) and the environment it ran in; an answer is used only while all
// of them are as they were, and otherwise fontconfig is asked again.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

// What drawing needs of the face fontconfig chose for a request.
struct CachedFace {
    std::string file;
    int index = 0;
    bool embolden = false;  // FreeType's emboldening stands in for a bold face
    bool oblique = false;   // FreeType's slant stands in for an italic face
    double matrix[4] = {1, 0, 0, 1};  // xx, xy, yx, yy of the face's transform
    bool hinting = true;
    bool autohint = false;
    std::vector<std::string> families;  // the face's family names, its own first
    int named = -1;                     // the one that is the family asked for, -1 when none is

    bool Transformed() const { return matrix[0] != 1 || matrix[1] != 0 || matrix[2] != 0 || matrix[3] != 1; }
    bool operator==(const CachedFace&) const = default;
};

namespace face_cache {

// The answer kept for `request` while nothing it depends on has changed.
std::optional<CachedFace> Find(const std::string& request);

// Keeps `answer` for `request`. `watched` are the files and folders
// fontconfig read its configuration and fonts from (absent ones included:
// their appearing changes the answer); `askedAt` is the wall-clock time
// before it began to read them. Nothing is kept when one of them changed
// since then (the answer may be from a configuration half-written), when a
// path cannot be written down, or when the cache folder cannot be written.
void Remember(const std::string& request, const CachedFace& answer, const std::vector<std::string>& watched,
              const timespec& askedAt);

// The cache file, empty when there is no home to keep it in.
std::string Path();

// Forgets what this process has read of the cache, so that the next Find
// reads the file again (for tests that change what fontconfig reads).
void ForgetLoaded();

}  // namespace face_cache
