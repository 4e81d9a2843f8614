/*
 * The X11 window libvlc should draw into for a Wine window. Kept apart from
 * bridge.c so that Xlib's names never meet windows.h.
 *
 * Wine draws Direct3D into a client window that it places as a child over
 * its whole window. libvlc given the whole window would draw underneath it
 * and never be seen, so it is handed the topmost child that covers the
 * whole window instead (that client window), when there is one.
 *
 * libvlc selects pointer motion on the window it draws in (and on any
 * window it makes inside it) for its own use, even with its mouse and key
 * input off; motion then stops there and never reaches Wine's window, so the
 * show's window would not see the user move the mouse. Those windows get an
 * empty input shape: the pointer passes through them, and keys, buttons and
 * motion go to Wine's window around them, as over a picture. The picture
 * libvlc draws is not touched.
 */
#include <pthread.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

static pthread_mutex_t x11_lock = PTHREAD_MUTEX_INITIALIZER;
static Display *x11_display;

static int ignore_errors(Display *display, XErrorEvent *event)
{
    (void)display;
    (void)event;
    return 0;
}

static int x11_has_shape;

/* Called with the lock held. */
static Display *display_locked(void)
{
    int event_base, error_base;
    if (!x11_display) {
        x11_display = XOpenDisplay(NULL);
        if (x11_display) {
            XSetErrorHandler(ignore_errors);
            x11_has_shape = XShapeQueryExtension(x11_display, &event_base, &error_base);
        }
    }
    return x11_display;
}

unsigned long bridge_x11_drawing_window(unsigned long whole)
{
    Window root, parent, *children = NULL, result = (Window)whole;
    unsigned int count = 0, i;
    XWindowAttributes outer, inner;

    if (!whole) return 0;
    pthread_mutex_lock(&x11_lock);
    if (display_locked() && XGetWindowAttributes(x11_display, (Window)whole, &outer) &&
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

/* The window and everything inside it; called with the lock held. */
static void pass_input_locked(Window window, int self)
{
    Window root, parent, *children = NULL;
    unsigned int count = 0, i;
    if (self) XShapeCombineRectangles(x11_display, window, ShapeInput, 0, 0, NULL, 0, ShapeSet, Unsorted);
    if (!XQueryTree(x11_display, window, &root, &parent, &children, &count)) return;
    for (i = 0; i < count; ++i) pass_input_locked(children[i], 1);
    if (children) XFree(children);
}

/* The drawing window (unless it is Wine's whole window itself, which must
   keep its input) and every window inside it let the input through. */
void bridge_x11_pass_input_through(unsigned long drawing, unsigned long whole)
{
    if (!drawing) return;
    pthread_mutex_lock(&x11_lock);
    if (display_locked() && x11_has_shape) {
        pass_input_locked((Window)drawing, drawing != whole);
        XFlush(x11_display);
    }
    pthread_mutex_unlock(&x11_lock);
}
