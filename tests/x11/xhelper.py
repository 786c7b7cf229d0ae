#!/usr/bin/env python3
"""X11 helpers for the Xvfb and Wine tests, through libX11 and libXfixes.

  xhelper.py cursor          prints "visible" or "invisible": whether the
                             pointer's current image has any opaque pixel
  xhelper.py window W H      creates and maps a white W x H window, prints
                             its id and keeps it until the process is ended
  xhelper.py vroot W H       the same, marked as a virtual root (__SWM_VROOT),
                             as a screen saver daemon marks its window
"""
import ctypes
import ctypes.util
import signal
import sys
import time

x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XCreateSimpleWindow.restype = ctypes.c_ulong
x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                    ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                    ctypes.c_ulong]
x11.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XStoreName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_char_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
XA_WINDOW = 33
PROP_MODE_REPLACE = 0


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong),
                ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def open_display():
    # A busy server may turn a connection away for a moment: try again.
    for _ in range(20):
        display = x11.XOpenDisplay(None)
        if display:
            return display
        time.sleep(0.05)
    sys.exit("xhelper: cannot open the display")


def cursor():
    xfixes = ctypes.CDLL(ctypes.util.find_library("Xfixes"))
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    image = xfixes.XFixesGetCursorImage(open_display()).contents
    opaque = any((image.pixels[i] >> 24) & 0xFF for i in range(image.width * image.height))
    print("visible" if opaque else "invisible")


def window(width, height, vroot=False):
    display = open_display()
    white = 0xFFFFFF
    w = x11.XCreateSimpleWindow(display, x11.XDefaultRootWindow(display), 0, 0,
                                width, height, 0, 0, white)
    x11.XStoreName(display, w, b"host")
    if vroot:
        value = ctypes.c_ulong(w)
        x11.XChangeProperty(display, w, x11.XInternAtom(display, b"__SWM_VROOT", 0), XA_WINDOW,
                            32, PROP_MODE_REPLACE, ctypes.byref(value), 1)
    x11.XMapWindow(display, w)
    x11.XSync(display, 0)
    print(w, flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        signal.pause()


if __name__ == "__main__":
    if sys.argv[1:2] == ["cursor"]:
        cursor()
    elif sys.argv[1:2] in (["window"], ["vroot"]) and len(sys.argv) == 4:
        window(int(sys.argv[2]), int(sys.argv[3]), vroot=sys.argv[1] == "vroot")
    else:
        sys.exit(__doc__)
