// The planned folder, the unpacking folder's creation (the Setup
// press, step 3) and its clean-up, with deletion at the next system start.
#include <cstdio>
#include <cstring>

#include "sfx/core/entry_name.h"
#include "sfx/core/sfx.h"
#include "sfx/core/string_table.h"
#include "sfx/core/wininit.h"

namespace gm::sfx {
namespace {

constexpr unsigned kMaxPlaceholders = 999;  // "KRSE1.tmp" .. "KRSE3e7.tmp"
constexpr unsigned kKrtCandidates = 100;    // "KRT00000" .. "KRT00099"
// A file that cannot be deleted is retried this long.
constexpr unsigned kDeleteRetryMs = 1000;
constexpr unsigned kDeleteRetryStepMs = 50;
// Paths below the unpacking folder that the clean-up walks may be longer
// than the 264 bytes of the entry names: the setup program made them.
constexpr size_t kCleanupPath = 1024;
constexpr unsigned kMaxCleanupDepth = 64;
// The clean-up refuses paths of at most this many characters.
constexpr size_t kShortPath = 3;

}  // namespace

// The temporary folder: a free "KRSE%x.tmp" name in the
// temporary folder, made sure of by creating it as an empty file and
// deleting that again. The folder itself is created on Setup.
bool Sfx::planFolder() {
    keepFiles_ = keepUnpackedFiles;
    if (!host_.temporaryBase(tempBase_, sizeof tempBase_)) tempBase_[0] = '\0';
    // A trailing separator goes, unless it follows a separator or a colon
    // ("C:\", "\\", "/").
    const char sep = host_.separator();
    size_t n = std::strlen(tempBase_);
    if (n >= 2 && tempBase_[n - 1] == sep && tempBase_[n - 2] != sep && tempBase_[n - 2] != ':')
        tempBase_[--n] = '\0';
    for (unsigned i = 1; i <= kMaxPlaceholders; ++i) {
        char candidate[kPathBuffer];
        const int len =
            std::snprintf(candidate, sizeof candidate, "%s%cKRSE%x.tmp", tempBase_, sep, i);
        if (len < 0 || static_cast<size_t>(len) >= sizeof candidate) break;
        if (!host_.claimPlaceholder(candidate)) continue;
        if (!host_.removePlaceholder(candidate)) break;
        std::memcpy(folder_, candidate, static_cast<size_t>(len) + 1);
        return true;
    }
    // No free name (or the placeholder stays): the platform's fallback.
    if (!host_.fallbackPlan(tempBase_, folder_, sizeof folder_, &keepFiles_)) folder_[0] = '\0';
    return false;
}

// Setup step 3: the planned folder, else "KRT%05u" for 0..99.
bool Sfx::createUnpackingFolder() {
    folderMade_ = folder_[0] != '\0' && host_.createUnpackFolder(folder_);
    for (unsigned i = 0; i < kKrtCandidates && !folderMade_; ++i) {
        char candidate[kPathBuffer];
        if (!host_.krtCandidate(tempBase_, i, candidate, sizeof candidate)) continue;
        if (host_.createUnpackFolder(candidate)) {
            std::snprintf(folder_, sizeof folder_, "%s", candidate);
            folderMade_ = true;
        }
    }
    folderRemoved_ = false;
    return folderMade_;
}

// Clean-up of the unpacking folder.
void Sfx::cleanUp() {
    if (keepFiles_) return;
    // The guard: no short path (a drive's root), and none of the folders
    // the host protects ("/", the temporary folder itself, the home).
    if (std::strlen(folder_) <= kShortPath || !host_.mayDeleteFolder(folder_)) {
        ui_.messageBox(sfxString(kStrChdirFailed), kCaption, Buttons::Ok, Icon::Error, 0);
        return;
    }
    cleanUpFolder("", 0);
    folderRemoved_ = host_.unpackFolder().removeFolder("");
}

// Deletes what a folder holds: files (retried, else left for the next
// system start) and folders (recursively, then removed). The Part skips
// names beginning with "." to pass over the "." and ".." entries of a
// Windows listing; the listing here never holds those two, so every other
// name - ".config" too - is deleted.
void Sfx::cleanUpFolder(const char* rel, unsigned depth) {
    if (depth > kMaxCleanupDepth) return;
    NameList names;
    if (!host_.unpackFolder().listFolder(rel, &names)) return;
    for (size_t i = 0; i < names.size(); ++i) {
        char child[kCleanupPath];
        const int len = rel[0] ? std::snprintf(child, sizeof child, "%s/%s", rel, names.name(i))
                               : std::snprintf(child, sizeof child, "%s", names.name(i));
        if (len < 0 || static_cast<size_t>(len) >= sizeof child) continue;
        if (names.kind(i) == PathKind::Folder) {
            cleanUpFolder(child, depth + 1);
            if (!host_.unpackFolder().removeFolder(child)) host_.unpackFolder().removeFolder(child);
        } else {
            deleteWithRetries(child);
        }
    }
}

void Sfx::deleteWithRetries(const char* rel) {
    if (host_.unpackFolder().deleteFile(rel)) return;
    const uint64_t start = host_.nowMs();
    while (host_.nowMs() - start < kDeleteRetryMs) {
        ui_.pump(kDeleteRetryStepMs);
        if (host_.unpackFolder().deleteFile(rel)) return;
    }
    char full[kCleanupPath];
    std::snprintf(full, sizeof full, "%s%c%s", folder_, host_.separator(), rel);
    for (char* p = full + std::strlen(folder_); *p; ++p)
        if (*p == '/') *p = host_.separator();
    host_.deleteAtNextStart(full);
}

// ---------------------------------------------------------------------------
// WinInit.Ini (deletion at the next start on the older Windows family)
// ---------------------------------------------------------------------------

long winInitAddDeletion(const char* text, size_t size, const char* path, char* out,
                        size_t capacity) {
    static constexpr char kSection[] = "[Rename]\r\n";
    static constexpr size_t kSectionLength = sizeof kSection - 1;
    char line[kCleanupPath + 8];
    const int lineLength = std::snprintf(line, sizeof line, "%s=%s\r\n", "NUL", path);
    if (lineLength < 0 || static_cast<size_t>(lineLength) >= sizeof line) return -1;
    // Where the section header is, in exact case.
    bool found = false;
    size_t at = size;
    for (size_t i = 0; i + kSectionLength <= size; ++i) {
        if (std::memcmp(text + i, kSection, kSectionLength) == 0) {
            found = true;
            at = i + kSectionLength;  // the end of the line that holds it
            break;
        }
    }
    // A last line without its line end gets one before the appended section.
    const bool needBreak = !found && size > 0 && text[size - 1] != '\n';
    const size_t total =
        size + static_cast<size_t>(lineLength) + (found ? 0 : kSectionLength + (needBreak ? 2 : 0));
    if (total > capacity) return -1;
    if (found) {
        std::memcpy(out, text, at);
        std::memcpy(out + at, line, static_cast<size_t>(lineLength));
        std::memcpy(out + at + lineLength, text + at, size - at);
    } else {
        size_t w = size;
        std::memcpy(out, text, size);
        if (needBreak) {
            out[w++] = '\r';
            out[w++] = '\n';
        }
        std::memcpy(out + w, kSection, kSectionLength);
        w += kSectionLength;
        std::memcpy(out + w, line, static_cast<size_t>(lineLength));
    }
    return static_cast<long>(total);
}

}  // namespace gm::sfx
