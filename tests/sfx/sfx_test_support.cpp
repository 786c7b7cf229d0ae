// Test support for the self-extractor; see sfx_test_support.h.
#include "tests/sfx/sfx_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sfx/core/bytes.h"
#include "sfx/core/codepage.h"
#include "sfx/core/crc32.h"
#include "sfx/core/deflate_encode.h"
#include "sfx/core/stub_text.h"
#include "sfx/mksfx/sfx_file.h"

namespace gm::sfx::test {

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string fromStub(const char* text) {
    if (kStubCodePageIsUtf8) return text;
    std::string out;
    for (const char* p = text; *p; ++p) {
        char buf[4];
        const size_t n = encodeUtf8(cp1252ToUnicode(static_cast<uint8_t>(*p)), buf, sizeof buf);
        out.append(buf, n);
    }
    return out;
}

std::string toStub(const std::string& utf8) {
    if (kStubCodePageIsUtf8) return utf8;
    std::string out(utf8.size() + 1, '\0');
    const long n = utf8ToCodePage(utf8.data(), utf8.size(), out.data(), out.size(), false);
    out.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return out;
}
std::string stringOf(const Bytes& b) { return std::string(b.begin(), b.end()); }

Bytes mixedData(size_t size, uint32_t seed) {
    Bytes out;
    out.reserve(size);
    uint32_t x = seed * 2654435761u + 1;
    auto next = [&] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    static const char* words[] = {"Schnee ", "Landschaft ", "winter ", "snowman ", "flake ",
                                  "the ",    "und ",        "0123 ",   "\n",       "moon "};
    while (out.size() < size) {
        const uint32_t r = next();
        if (r % 4 == 0) {
            // A random run (incompressible).
            for (uint32_t i = 0, n = 16 + r % 200; i < n; ++i)
                out.push_back(static_cast<uint8_t>(next()));
        } else if (r % 4 == 1) {
            // A repeated byte run (distance 1 matches).
            out.insert(out.end(), 3 + r % 300, static_cast<uint8_t>(r >> 8));
        } else {
            for (uint32_t i = 0, n = 1 + r % 30; i < n; ++i) {
                const char* w = words[next() % 10];
                out.insert(out.end(), w, w + std::strlen(w));
            }
        }
    }
    out.resize(size);
    return out;
}

Bytes deflateOwn(const Bytes& data) {
    Bytes out;
    size_t pos = 0;
    do {
        const size_t n = std::min(data.size() - pos, kDeflateEncodeMaxInput);
        const bool last = pos + n == data.size();
        Bytes block(deflateEncodeBound(n) + 8);
        const size_t m = deflateEncode(data.data() + pos, n, block.data(), block.size(), last);
        block.resize(m);
        out.insert(out.end(), block.begin(), block.end());
        pos += n;
    } while (pos < data.size());
    return out;
}

uint32_t crcOf(const Bytes& data) {
    crc32InitTables();
    return ~crc32UpdateBytewise(kCrcInit, data.data(), data.size());
}

// ---------------------------------------------------------------------------
// ZIP writer
// ---------------------------------------------------------------------------

namespace {

void put16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, static_cast<uint16_t>(v));
    put16(b, static_cast<uint16_t>(v >> 16));
}

// The encrypting side of the traditional cipher.
struct Encrypter {
    uint32_t k0 = 0x12345678u, k1 = 0x23456789u, k2 = 0x34567890u;
    explicit Encrypter(const std::string& password) {
        for (char c : password) update(static_cast<uint8_t>(c));
    }
    void update(uint8_t p) {
        k0 = crc32Step(k0, p);
        k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
        k2 = crc32Step(k2, static_cast<uint8_t>(k1 >> 24));
    }
    uint8_t encrypt(uint8_t p) {
        const uint32_t t = (k2 | 2) & 0xFFFF;
        const uint8_t c = static_cast<uint8_t>(p ^ ((t * (t ^ 1)) >> 8));
        update(p);
        return c;
    }
};

}  // namespace

ZipBuild buildZip(const std::vector<ZipEntryPlan>& entries, const std::string& comment) {
    crc32InitTables();
    ZipBuild z;
    Bytes central;
    for (const ZipEntryPlan& e : entries) {
        uint32_t crc = crcOf(e.data);
        if (e.breakCrc) crc ^= 0x5A5A5A5A;
        Bytes payload;
        if (!e.compressedOverride.empty())
            payload = e.compressedOverride;
        else if (e.method == 8)
            payload = deflateOwn(e.data);
        else
            payload = e.data;
        if (e.flipDataByte && !payload.empty()) payload[payload.size() / 2] ^= 0x55;
        uint16_t flags = e.extraFlags;
        if (!e.password.empty()) {
            flags |= 1;
            Encrypter enc(e.password);
            Bytes head(12);
            for (int i = 0; i < 11; ++i) head[i] = static_cast<uint8_t>(i * 37 + 11);
            head[11] = e.descriptor ? static_cast<uint8_t>(e.time.time >> 8)
                                    : static_cast<uint8_t>(crc >> 24);
            Bytes enc_payload;
            for (uint8_t b : head) enc_payload.push_back(enc.encrypt(b));
            for (uint8_t b : payload) enc_payload.push_back(enc.encrypt(b));
            payload = enc_payload;
        }
        if (e.descriptor) flags |= 8;
        const uint32_t csize = static_cast<uint32_t>(payload.size());
        const uint32_t usize = static_cast<uint32_t>(e.data.size() + e.declaredSizeDelta);
        const bool zero = e.descriptor && e.zeroLocalSizes;

        z.localOffsets.push_back(static_cast<uint32_t>(z.bytes.size()));
        Bytes& b = z.bytes;
        put32(b, 0x04034b50);
        put16(b, 20);
        put16(b, flags);
        put16(b, e.method);
        put16(b, e.time.time);
        put16(b, e.time.date);
        put32(b, zero ? 0 : crc);
        put32(b, zero ? 0 : static_cast<uint32_t>(csize + e.localCompressedSizeDelta));
        put32(b, zero ? 0 : usize);
        put16(b, static_cast<uint16_t>(e.name.size()));
        put16(b, static_cast<uint16_t>(e.extra.size()));
        b.insert(b.end(), e.name.begin(), e.name.end());
        b.insert(b.end(), e.extra.begin(), e.extra.end());
        b.insert(b.end(), payload.begin(), payload.end());
        if (e.descriptor) {
            if (e.descriptorSignature) put32(b, 0x08074b50);
            put32(b, crc);
            put32(b, csize);
            put32(b, usize);
        }

        put32(central, 0x02014b50);
        put16(central, e.unixMode ? (3 << 8) | 20 : 20);
        put16(central, 20);
        put16(central, flags);
        put16(central, e.method);
        put16(central, e.time.time);
        put16(central, e.time.date);
        put32(central, crc);
        put32(central, csize);
        put32(central, usize);
        put16(central, static_cast<uint16_t>(e.name.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        // A mode without its file type is a regular file's.
        const uint32_t mode = e.unixMode > 07777 ? e.unixMode : 0100000u | e.unixMode;
        put32(central, e.unixMode ? mode << 16 : 0);
        put32(central, z.localOffsets.back());
        central.insert(central.end(), e.name.begin(), e.name.end());
    }
    const uint32_t cdOffset = static_cast<uint32_t>(z.bytes.size());
    z.bytes.insert(z.bytes.end(), central.begin(), central.end());
    put32(z.bytes, 0x06054b50);
    put16(z.bytes, 0);
    put16(z.bytes, 0);
    put16(z.bytes, static_cast<uint16_t>(entries.size()));
    put16(z.bytes, static_cast<uint16_t>(entries.size()));
    put32(z.bytes, static_cast<uint32_t>(central.size()));
    put32(z.bytes, cdOffset);
    put16(z.bytes, static_cast<uint16_t>(comment.size()));
    z.bytes.insert(z.bytes.end(), comment.begin(), comment.end());
    return z;
}

// ---------------------------------------------------------------------------
// FakeUi
// ---------------------------------------------------------------------------

bool FakeUi::saw(const std::string& fragment) const { return count(fragment) > 0; }

size_t FakeUi::count(const std::string& fragment) const {
    size_t n = 0;
    for (const Message& m : messages)
        if (m.text.find(fragment) != std::string::npos) ++n;
    return n;
}

Answer FakeUi::messageBox(const char* text, const char* caption, Buttons buttons, Icon icon, int) {
    messages.push_back({fromStub(text), fromStub(caption), buttons, icon});
    if (answer) return answer(messages.back());
    switch (buttons) {
        case Buttons::Ok:
        case Buttons::OkCancel:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::Yes;
        case Buttons::AbortRetryIgnore:
            return Answer::Abort;
    }
    return Answer::Ok;
}

void FakeUi::openDialog(const char* t, const char* h, const char* m, bool dots) {
    title = fromStub(t);
    heading = fromStub(h);
    dialogMessage = fromStub(m);
    infoDots = dots;
}

Command FakeUi::waitCommand() {
    if (++waits > 200) {
        runaway = true;  // the dialog does not close: end it
        return Command::Shutdown;
    }
    if (commands.empty()) return Command::Close;
    Command c = commands.front();
    commands.pop_front();
    return c;
}

Command FakeUi::pump(unsigned ms) {
    clock_.now += ms;
    pumpedMs += ms;
    if (pumped.empty()) return Command::None;
    Command c = pumped.front();
    pumped.pop_front();
    return c;
}

void FakeUi::setSetupButton(const char* text, bool enabled, bool) {
    setupButton = fromStub(text);
    setupEnabled = enabled;
}

void FakeUi::setStatus(const char* text) {
    if (text[0]) statuses.push_back(fromStub(text));
}

void FakeUi::showMeter(bool visible) {
    meterVisible = visible;
    if (visible) everShowedMeter = true;
}

void FakeUi::setMeter(unsigned position, const char*) { meterPositions.push_back(position); }

bool FakeUi::askPassword(char* out, size_t capacity) {
    ++passwordPrompts;
    if (passwords.empty()) return false;
    if (passwords.front() == kCancelPassword) {
        passwords.pop_front();
        return false;
    }
    std::snprintf(out, capacity, "%s", passwords.front().c_str());
    passwords.pop_front();
    return true;
}

bool FakeUi::interruptRequested() {
    clock_.now += 1;  // time passes while data is written
    return polls++ == interruptAtFlush;
}

// ---------------------------------------------------------------------------
// MemUnpackFolder / FakeHost
// ---------------------------------------------------------------------------

std::string MemUnpackFolder::full(const char* rel) const {
    std::string path = root_;
    for (const std::string& name : cursor_) path += "/" + name;
    return rel[0] ? path + "/" + rel : path;
}

bool MemUnpackFolder::enterFolder(const char* name) {
    if (!fs_.folders.count(full(name))) return false;
    cursor_.push_back(name);
    deepestEntered = std::max(deepestEntered, cursor_.size());
    return true;
}

void MemUnpackFolder::leaveFolder() {
    if (!cursor_.empty()) cursor_.pop_back();
}

PathKind MemUnpackFolder::kind(const char* rel) {
    const std::string p = full(rel);
    if (fs_.folders.count(p)) return PathKind::Folder;
    if (fs_.files.count(p)) return PathKind::File;
    return PathKind::Missing;
}

bool MemUnpackFolder::createFolder(const char* rel) {
    const std::string p = full(rel);
    if (fs_.failCreate.count(p) || fs_.files.count(p) || fs_.folders.count(p)) return false;
    const std::string parent = p.substr(0, p.rfind('/'));
    if (!fs_.folders.count(parent)) return false;
    fs_.folders.insert(p);
    return true;
}

bool MemUnpackFolder::createFile(const char* rel) {
    const std::string p = full(rel);
    const std::string parent = p.substr(0, p.rfind('/'));
    if (fs_.failCreate.count(p) || fs_.folders.count(p) || !fs_.folders.count(parent)) return false;
    fs_.files[p].clear();
    open_ = p;
    isOpen_ = true;
    ++filesCreated;
    return true;
}

bool MemUnpackFolder::writeFile(const uint8_t* data, size_t size) {
    if (!isOpen_) return false;
    if (size > fs_.writeLimit - fs_.written) return false;
    fs_.written += size;
    Bytes& f = fs_.files[open_];
    f.insert(f.end(), data, data + size);
    return true;
}

void MemUnpackFolder::closeFile(const DosTime* time, uint32_t unixMode) {
    if (!isOpen_) return;
    if (time) fs_.times[open_] = *time;
    if (unixMode) fs_.modes[open_] = unixMode;
    isOpen_ = false;
}

bool MemUnpackFolder::listFolder(const char* rel, NameList* out) {
    const std::string p = full(rel) + "/";
    auto direct = [&](const std::string& path) {
        return path.compare(0, p.size(), p) == 0 && path.find('/', p.size()) == std::string::npos;
    };
    for (const auto& [path, data] : fs_.files)
        if (direct(path)) out->add(path.substr(p.size()).c_str(), PathKind::File);
    for (const std::string& path : fs_.folders)
        if (direct(path)) out->add(path.substr(p.size()).c_str(), PathKind::Folder);
    return true;
}

bool MemUnpackFolder::createLink(const char* rel, const char* target) {
    const std::string path = full(rel);
    if (fs_.files.count(path) || fs_.folders.count(path) || fs_.links.count(path)) return false;
    fs_.links[path] = target;
    return true;
}

bool MemUnpackFolder::deleteFile(const char* rel) {
    const std::string p = full(rel);
    if (fs_.undeletable.count(p)) return false;
    return fs_.files.erase(p) > 0;
}

bool MemUnpackFolder::removeFolder(const char* rel) {
    const std::string p = full(rel);
    for (const auto& [path, data] : fs_.files)
        if (path.compare(0, p.size() + 1, p + "/") == 0) return false;
    for (const std::string& path : fs_.folders)
        if (path.compare(0, p.size() + 1, p + "/") == 0) return false;
    return fs_.folders.erase(p) > 0;
}

bool FakeHost::stubPath(char* out, size_t capacity) {
    std::snprintf(out, capacity, "/media/disk/SETUP.EXE");
    return true;
}

bool FakeHost::temporaryBase(char* out, size_t capacity) {
    std::snprintf(out, capacity, "%s", tempBase.c_str());
    fs.folders.insert(tempBase);
    return true;
}

bool FakeHost::claimPlaceholder(const char* path) {
    if (!forceFolder.empty()) return false;
    if (fs.files.count(path) || fs.folders.count(path)) return false;
    fs.files[path];
    return true;
}

bool FakeHost::removePlaceholder(const char* path) { return fs.files.erase(path) > 0; }

bool FakeHost::fallbackPlan(const char* base, char* out, size_t capacity, bool* keepFiles) {
    *keepFiles = false;
    std::snprintf(out, capacity, "%s/TEMP", base);
    if (!forceFolder.empty()) std::snprintf(out, capacity, "%s", forceFolder.c_str());
    return true;
}

bool FakeHost::krtCandidate(const char* base, unsigned i, char* out, size_t capacity) {
    std::snprintf(out, capacity, "%s/KRT%05u", base, i);
    return true;
}

bool FakeHost::createUnpackFolder(const char* path) {
    if (!forceFolder.empty() && forceFolder == path) {
        fs.folders.insert(path);
        unpackRoot = path;
        folder_.bind(forceFolder == "/" ? "" : forceFolder);
        return true;
    }
    if (fs.failCreate.count(path) || fs.folders.count(path) || fs.files.count(path)) return false;
    fs.folders.insert(path);
    unpackRoot = path;
    folder_.bind(path);
    return true;
}

bool FakeHost::enterUnpackFolder() {
    if (enterFails) return false;
    entered = true;
    return true;
}

bool FakeHost::leaveUnpackFolder() {
    entered = false;
    return true;
}

bool FakeHost::mayDeleteFolder(const char* path) {
    return std::string(path) != "/" && path != tempBase;
}

bool FakeHost::deleteAtNextStart(const char* fullPath) {
    scheduledForRestart.push_back(fullPath);
    return true;
}

bool FakeHost::startCommand(const char* command, bool) {
    commands.push_back(command);
    return commandStarts;
}

bool FakeHost::commandRunning() { return commandPolls-- > 0; }

void FakeHost::stopCommand(bool force) {
    stops.push_back(force);
    if (force || !ignoresStop) commandPolls = 0;
}

bool FakeHost::programRunning(const char*) { return programPolls-- > 0; }

// ---------------------------------------------------------------------------
// FakeSource
// ---------------------------------------------------------------------------

bool FakeSource::open(Which which) {
    ++opens;
    pos_ = 0;
    if (failOpen) return false;
    if (which == Which::Stub) {
        current_ = &stub_;
        return true;
    }
    if (inserted >= disks.size()) return false;
    current_ = which == Which::DiskExe ? &disks[inserted].exe : &disks[inserted].zip;
    return !current_->empty();
}

bool FakeSource::seek(uint64_t offset) {
    if (!current_ || offset > current_->size()) return false;
    pos_ = offset;
    return true;
}

long FakeSource::read(uint8_t* buffer, size_t size) {
    if (!current_) return -1;
    const size_t n = std::min<uint64_t>(size, current_->size() - pos_);
    std::memcpy(buffer, current_->data() + pos_, n);
    pos_ += n;
    return static_cast<long>(n);
}

bool FakeSource::readVolumeLabel(char* label, size_t capacity) {
    if (inserted >= disks.size()) return false;
    std::snprintf(label, capacity, "%s", disks[inserted].label.c_str());
    return true;
}

// ---------------------------------------------------------------------------

SfxFile makeSfx(const Bytes& archive, const SfxOptions& o) {
    mksfx::BuildRequest rq;
    rq.stub.assign(o.stubSize, 0x90);
    std::copy(std::begin(mksfx::kMarker), std::end(mksfx::kMarker), rq.stub.begin() + 64);
    std::fill(rq.stub.begin() + 64 + 8, rq.stub.begin() + 64 + kConfigRecordSize, 0);
    rq.archive = archive;
    rq.strings[kCsAbout] = o.about;
    rq.strings[kCsCommand] = o.command;
    rq.strings[kCsMessage] = o.message;
    rq.strings[kCsTitle] = o.title;
    rq.strings[kCsPrompt] = o.prompt;
    rq.strings[kCsInfo] = o.info;
    rq.flags1 = o.flags1;
    rq.flags2 = o.flags2;
    rq.flags3 = o.flags3;
    rq.waitName = o.waitName;
    rq.codePage = mksfx::CodePage::Utf8;
    const mksfx::BuildResult r = mksfx::buildSfx(rq);
    return {r.file, r.config, r.error};
}

}  // namespace gm::sfx::test
