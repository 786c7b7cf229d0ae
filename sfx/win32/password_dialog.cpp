// The password dialog; see password_dialog.h.
#include "sfx/win32/password_dialog.h"

#include <array>
#include <cstdlib>

#include "sfx/core/deflate_encode.h"
#include "sfx/core/dialog_templates.h"
#include "sfx/core/inflate.h"
#include "sfx/win32/centre_window.h"
#include "sfx/win32/system_calls.h"

namespace gm::sfx {
namespace {

constexpr size_t kTemplateBuffer = 600;
constexpr size_t kTemplateSize = writeDialogTemplate(kPasswordDialog, kPasswordItems, nullptr);
static_assert(kTemplateSize <= kTemplateBuffer);

// The template as a raw deflate stream, compressed while compiling.
struct Stream {
    std::array<uint8_t, deflateEncodeBound(kTemplateSize)> data;
    size_t size;
};
constexpr Stream compressTemplate() {
    const auto plain = dialogTemplate<kTemplateSize>(kPasswordDialog, kPasswordItems);
    Stream s{};
    s.size = deflateEncode(plain.data(), plain.size(), s.data.data(), s.data.size());
    return s;
}
constexpr Stream kStreamFull = compressTemplate();
constexpr std::array<uint8_t, kStreamFull.size> trim() {
    std::array<uint8_t, kStreamFull.size> a{};
    for (size_t i = 0; i < a.size(); ++i) a[i] = kStreamFull.data[i];
    return a;
}
constexpr std::array<uint8_t, kStreamFull.size> kStream = trim();

struct Request {
    char* out;
    size_t capacity;
};

INT_PTR CALLBACK passwordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        centreOnScreen(dialog);
        SendDlgItemMessageA(dialog, kIdPasswordEdit, EM_LIMITTEXT, 255, 0);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (LOWORD(wParam) != IDOK) return FALSE;
    // The text in the ANSI code page (the NT family converts it); an empty
    // field leaves the dialog open.
    auto* rq = reinterpret_cast<Request*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (GetDlgItemTextA(dialog, kIdPasswordEdit, rq->out, static_cast<int>(rq->capacity)) == 0)
        return TRUE;
    EndDialog(dialog, IDOK);
    return TRUE;
}

}  // namespace

PasswordResult askPasswordDialog(HWND owner, char* out, size_t capacity) {
    // malloc's blocks are DWORD-aligned, as templates must be.
    auto* buffer = static_cast<uint8_t*>(std::malloc(kTemplateBuffer));
    auto* window = static_cast<uint8_t*>(std::malloc(kInflateWindowAlloc));
    size_t produced = 0;
    PasswordResult result = PasswordResult::NoMemory;
    if (buffer != nullptr && window != nullptr &&
        inflateToMemory(kStream.data(), kStream.size(), buffer, kTemplateBuffer, &produced,
                        window) == InflateStatus::Ok) {
        Request rq{out, capacity};
        // The template is UTF-16 for both forms.
        const auto run = sys::ansiSystem() ? DialogBoxIndirectParamA : DialogBoxIndirectParamW;
        const INT_PTR r = run(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(buffer),
                              owner, passwordProc, reinterpret_cast<LPARAM>(&rq));
        result = r == IDOK ? PasswordResult::Ok : PasswordResult::Cancel;
    }
    std::free(window);
    std::free(buffer);
    return result;
}

}  // namespace gm::sfx
