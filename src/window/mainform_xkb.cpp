// X11 sends a release before every repeated press of a held key, and Qt
// tells such releases from real ones by looking for the next press in its
// queue, which a busy program has not read yet. With XKB's detectable
// auto-repeat the server sends no release until the key really goes up.
// Kept apart: the X11 headers define names (KeyPress, None, Bool) that
// clash with Qt's.
#include <QGuiApplication>

#include <X11/XKBlib.h>

namespace tetrafot {

bool RequestDetectableAutoRepeat()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display())
        return false;   // not on X11 (Wayland, offscreen): releases are real there
    Bool supported = False;
    XkbSetDetectableAutoRepeat(x11->display(), True, &supported);
    return supported;
}

} // namespace tetrafot
