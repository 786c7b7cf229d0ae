#include "platform/x11/x11_image.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace gm::x11 {
namespace {

// XShmAttach reports failure (a remote display, a server without access to
// the segment) only as an asynchronous X error; the handler catches it
// while the attach is synchronised.
bool gAttachFailed = false;
int recordAttachError(Display*, XErrorEvent*) {
    gAttachFailed = true;
    return 0;
}

}  // namespace

bool hasSurfaceLayout(const Visual* visual, int depth) {
    return (depth == 24 || depth == 32) && visual->red_mask == 0xFF0000 &&
           visual->green_mask == 0x00FF00 && visual->blue_mask == 0x0000FF;
}

X11Image::X11Image(Display* display, Visual* visual, int depth, bool useShm)
    : display_(display),
      visual_(visual),
      depth_(depth),
      shm_(useShm),
      buffer_(nullptr, BufferDeleter{display}) {}

std::uint32_t* X11Image::pixels() const {
    return buffer_ ? reinterpret_cast<std::uint32_t*>(buffer_->image->data) : nullptr;
}

int X11Image::stride() const { return buffer_ ? buffer_->image->bytes_per_line / 4 : 0; }

X11Image::BufferPtr X11Image::create(int width, int height) {
    BufferPtr b(new Buffer, BufferDeleter{display_});
    if (shm_) {
        XShmSegmentInfo& segment = b->segment;
        XImage* image =
            XShmCreateImage(display_, visual_, depth_, ZPixmap, nullptr, &segment, width, height);
        if (image) {
            const std::size_t bytes = std::size_t(image->bytes_per_line) * height;
            segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
            void* memory = segment.shmid >= 0 ? shmat(segment.shmid, nullptr, 0) : (void*)-1;
            if (segment.shmid >= 0) {
                // Marked for removal at once: the segment goes away with the
                // last detach, however the process ends.
                if (memory != (void*)-1) {
                    segment.shmaddr = image->data = static_cast<char*>(memory);
                    segment.readOnly = False;
                    gAttachFailed = false;
                    XErrorHandler previous = XSetErrorHandler(recordAttachError);
                    const bool attached = XShmAttach(display_, &segment);
                    XSync(display_, False);
                    XSetErrorHandler(previous);
                    shmctl(segment.shmid, IPC_RMID, nullptr);
                    if (attached && !gAttachFailed) {
                        std::memset(image->data, 0, bytes);
                        b->image = image;
                        return b;
                    }
                    shmdt(memory);
                    segment = {};
                } else {
                    shmctl(segment.shmid, IPC_RMID, nullptr);
                }
            }
            image->data = nullptr;
            XDestroyImage(image);
        }
        shm_ = false;  // the server cannot share memory with us: plain images from now on
    }
    const int stride = width * 4;
    char* data = static_cast<char*>(std::calloc(std::size_t(stride) * height, 1));
    b->image = XCreateImage(display_, visual_, depth_, ZPixmap, 0, data, width, height, 32, stride);
    return b;
}

void X11Image::BufferDeleter::operator()(Buffer* b) const {
    if (b->image) {
        if (b->segment.shmaddr) {
            XShmDetach(display, &b->segment);
            shmdt(b->segment.shmaddr);
            b->image->data = nullptr;
        }
        XDestroyImage(b->image);  // frees plain image memory with the image
    }
    delete b;
}

bool X11Image::resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return false;

    BufferPtr next = width > 0 && height > 0 ? create(width, height) : nullptr;
    if (next && buffer_) {
        const XImage* from = buffer_->image;
        XImage* to = next->image;
        const int rows = std::min(height, height_);
        const std::size_t bytes = std::size_t(std::min(width, width_)) * 4;
        for (int y = 0; y < rows; ++y)
            std::memcpy(to->data + std::size_t(y) * to->bytes_per_line,
                        from->data + std::size_t(y) * from->bytes_per_line, bytes);
    }
    buffer_ = std::move(next);
    width_ = buffer_ ? width : 0;
    height_ = buffer_ ? height : 0;
    return true;
}

void X11Image::put(Drawable target, GC gc, int x, int y, int width, int height) {
    if (!buffer_) return;
    x = std::clamp(x, 0, width_);
    y = std::clamp(y, 0, height_);
    width = std::min(width, width_ - x);
    height = std::min(height, height_ - y);
    if (width <= 0 || height <= 0) return;
    if (buffer_->segment.shmaddr)
        XShmPutImage(display_, target, gc, buffer_->image, x, y, x, y, width, height, False);
    else
        XPutImage(display_, target, gc, buffer_->image, x, y, x, y, width, height);
}

}  // namespace gm::x11
