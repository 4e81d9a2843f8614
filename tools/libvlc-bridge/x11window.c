/*
 * The X11 window libvlc should draw into for a Wine window. Kept apart from
 * bridge.c so that Xlib's names never meet windows.h.
 *
 * Wine draws Direct3D into a client window that it places as a child over
 * its whole window. libvlc given the whole window would draw underneath it
 * and never be seen, so it is handed the topmost child that covers the
 * whole window instead (that client window), when there is one.
 */
#include <pthread.h>
#include <X11/Xlib.h>

static pthread_mutex_t x11_lock = PTHREAD_MUTEX_INITIALIZER;
static Display *x11_display;

static int ignore_errors(Display *display, XErrorEvent *event)
{
    (void)display;
    (void)event;
    return 0;
}

unsigned long bridge_x11_drawing_window(unsigned long whole)
{
    Window root, parent, *children = NULL, result = (Window)whole;
    unsigned int count = 0, i;
    XWindowAttributes outer, inner;

    if (!whole) return 0;
    pthread_mutex_lock(&x11_lock);
    if (!x11_display) {
        x11_display = XOpenDisplay(NULL);
        if (x11_display) XSetErrorHandler(ignore_errors);
    }
    if (x11_display && XGetWindowAttributes(x11_display, (Window)whole, &outer) &&
        XQueryTree(x11_display, (Window)whole, &root, &parent, &children, &count)) {
        /* children come bottom to top: the last one that covers wins */
        for (i = count; i-- > 0;) {
            if (XGetWindowAttributes(x11_display, children[i], &inner) && inner.map_state == IsViewable &&
                inner.x <= 0 && inner.y <= 0 && inner.width >= outer.width && inner.height >= outer.height) {
                result = children[i];
                break;
            }
        }
        if (children) XFree(children);
    }
    pthread_mutex_unlock(&x11_lock);
    return (unsigned long)result;
}
