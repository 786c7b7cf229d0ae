// The planned folder, the unpacking folder's creation (the Setup
// press, step 3) and its clean-up, with deletion at the next system start.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

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
// The full path of a file left for the next system start (Windows, whose
// paths are shorter) and the WinInit.Ini line.
constexpr size_t kCleanupPath = 1024;
// The clean-up refuses paths of at most this many characters.
constexpr size_t kShortPath = 3;

}  // namespace

// The temporary folder: a free "KRSE%x.tmp" name in the
// temporary folder, made sure of by creating it as an empty file and
// deleting that again. The folder itself is created on Setup.
bool Sfx::planFolder() {
    keepFiles_ = keepUnpackedFiles;
    if (targetFolder != nullptr) {
        std::snprintf(folder_, sizeof folder_, "%s", targetFolder);
        keepFiles_ = true;
        return true;
    }
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
    // A folder the user named has no second choice.
    for (unsigned i = 0; i < kKrtCandidates && !folderMade_ && targetFolder == nullptr; ++i) {
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
    cleanUpTree();
    folderRemoved_ = host_.unpackFolder().removeFolder("");
}

// One folder of the clean-up walk: its listing and the next name to do.
struct Sfx::CleanupLevel {
    NameList names;
    size_t next = 0;
};

// Deletes what the unpacking folder holds: files (retried, else left for
// the next system start) and folders (emptied, then removed). The walk
// keeps its folders on the heap and moves the backend's current folder
// down and up (enterFolder, leaveFolder), so no path is ever built: trees
// of any depth and path length go. The classic clean-up skips names
// beginning with "." to pass over the "." and ".." of a Windows listing; the
// listing here never holds those two, so every other name - ".config" too -
// is deleted. A
// folder that stays is reported after the clean-up (reportKeptFolder).
void Sfx::cleanUpTree() {
    UnpackFolder& folder = host_.unpackFolder();
    CleanupLevel** levels = nullptr;
    size_t depth = 0, capacity = 0;
    auto push = [&]() {
        if (depth == capacity) {
            const size_t grown = capacity ? capacity * 2 : 16;
            auto* bigger =
                static_cast<CleanupLevel**>(std::realloc(levels, grown * sizeof *levels));
            if (bigger == nullptr) return false;
            levels = bigger;
            capacity = grown;
        }
        void* memory = std::malloc(sizeof(CleanupLevel));
        if (memory == nullptr) return false;
        levels[depth] = new (memory) CleanupLevel;
        if (!folder.listFolder("", &levels[depth]->names)) levels[depth]->names.clear();
        ++depth;
        return true;
    };
    auto pop = [&]() {
        levels[--depth]->~CleanupLevel();
        std::free(levels[depth]);
    };
    push();
    while (depth > 0) {
        CleanupLevel& top = *levels[depth - 1];
        if (top.next == top.names.size()) {
            // Emptied: back to the parent, which removes it (twice, as the
            // classic clean-up does).
            pop();
            if (depth == 0) break;
            folder.leaveFolder();
            const CleanupLevel& parent = *levels[depth - 1];
            const char* name = parent.names.name(parent.next - 1);
            if (!folder.removeFolder(name)) folder.removeFolder(name);
            continue;
        }
        const size_t i = top.next++;
        if (top.names.kind(i) != PathKind::Folder)
            deleteWithRetries(top.names.name(i), levels, depth);
        else if (folder.enterFolder(top.names.name(i)) && !push())
            folder.leaveFolder();
    }
    std::free(levels);
}

void Sfx::deleteWithRetries(const char* name, CleanupLevel** levels, size_t depth) {
    if (host_.unpackFolder().deleteFile(name)) return;
    const uint64_t start = host_.nowMs();
    while (host_.nowMs() - start < kDeleteRetryMs) {
        ui_.pump(kDeleteRetryStepMs);
        if (host_.unpackFolder().deleteFile(name)) return;
    }
    // The full path: the folder, the walk's folders, the name.
    char full[kCleanupPath];
    size_t n = static_cast<size_t>(std::snprintf(full, sizeof full, "%s", folder_));
    for (size_t k = 0; k + 1 < depth && n < sizeof full; ++k)
        n += static_cast<size_t>(std::snprintf(full + n, sizeof full - n, "%c%s", host_.separator(),
                                               levels[k]->names.name(levels[k]->next - 1)));
    if (n < sizeof full) std::snprintf(full + n, sizeof full - n, "%c%s", host_.separator(), name);
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
