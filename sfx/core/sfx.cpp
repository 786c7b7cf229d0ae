// The Sfx object: buffers, the fatal-error mechanism, questions, NameList.
#include "sfx/core/sfx.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sfx/core/string_table.h"

namespace gm::sfx {

Sfx::Sfx(SfxUi& ui, SfxHost& host, ArchiveSource& source) : ui_(ui), host_(host), source_(source) {}

Sfx::~Sfx() {
    if (sourceOpen_) source_.close();
    std::free(window_);
    std::free(input_);
    std::free(shadow_);
    std::free(central_);
}

// The global buffers, zero-filled.
bool Sfx::allocateBuffers() {
    if (window_ == nullptr) window_ = static_cast<uint8_t*>(std::calloc(kInflateWindowAlloc, 1));
    if (input_ == nullptr)
        input_ = static_cast<uint8_t*>(std::calloc(kInputCarry + kInputBufferSize, 1));
    if (shadow_ == nullptr)
        shadow_ = static_cast<uint8_t*>(std::calloc(kInputCarry + kInputBufferSize, 1));
    return window_ != nullptr && input_ != nullptr && shadow_ != nullptr;
}

Outcome Sfx::fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(message_, sizeof message_, format, args);
    va_end(args);
    ui_.messageBox(message_, kCaption, Buttons::Ok, Icon::Error, 0);
    ending_ = Ending::Failed;
    return Outcome::Failed;
}

Outcome Sfx::failString(int id, ...) {
    va_list args;
    va_start(args, id);
    std::vsnprintf(message_, sizeof message_, sfxString(id), args);
    va_end(args);
    ui_.messageBox(message_, kCaption, Buttons::Ok, Icon::Error, 0);
    ending_ = Ending::Failed;
    return Outcome::Failed;
}

Answer Sfx::ask(const char* text, Buttons buttons, Icon icon, int defaultButton) {
    return ui_.messageBox(text, kCaption, buttons, icon, defaultButton);
}

void Sfx::setPassword(const char* password) {
    passwordLength_ = strnlen(password, sizeof password_ - 1);
    std::memcpy(password_, password, passwordLength_);
    password_[passwordLength_] = '\0';
    havePassword_ = passwordLength_ > 0;
}

void Sfx::setFolder(const char* path) { std::snprintf(folder_, sizeof folder_, "%s", path); }

// ---------------------------------------------------------------------------

NameList::~NameList() { clear(); }

void NameList::clear() {
    std::free(text_);
    std::free(offsets_);
    std::free(kinds_);
    text_ = nullptr;
    offsets_ = nullptr;
    kinds_ = nullptr;
    textSize_ = textCapacity_ = count_ = capacity_ = 0;
}

bool NameList::add(const char* name, PathKind kind) {
    const size_t n = std::strlen(name) + 1;
    if (textSize_ + n > textCapacity_) {
        size_t cap = textCapacity_ ? textCapacity_ * 2 : 1024;
        while (cap < textSize_ + n) cap *= 2;
        auto* t = static_cast<char*>(std::realloc(text_, cap));
        if (t == nullptr) return false;
        text_ = t;
        textCapacity_ = cap;
    }
    if (count_ == capacity_) {
        const size_t cap = capacity_ ? capacity_ * 2 : 32;
        auto* o = static_cast<uint32_t*>(std::realloc(offsets_, cap * sizeof *offsets_));
        if (o == nullptr) return false;
        offsets_ = o;
        auto* k = static_cast<PathKind*>(std::realloc(kinds_, cap * sizeof *kinds_));
        if (k == nullptr) return false;
        kinds_ = k;
        capacity_ = cap;
    }
    std::memcpy(text_ + textSize_, name, n);
    offsets_[count_] = static_cast<uint32_t>(textSize_);
    kinds_[count_] = kind;
    textSize_ += n;
    ++count_;
    return true;
}

const char* NameList::name(size_t i) const { return text_ + offsets_[i]; }
PathKind NameList::kind(size_t i) const { return kinds_[i]; }

}  // namespace gm::sfx
