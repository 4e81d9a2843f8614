/*
 * The desktop layer: one full-screen X window kept under every other window,
 * where libvlc draws a video played as a wallpaper. Windows shows such a
 * video behind the desktop's windows; under X the same is had with an
 * override-redirect window (no window manager moves it) marked as the
 * desktop, lowered at once and lowered again whenever another window is
 * restacked under it.
 *
 * The window and its keeper thread belong to one display connection that
 * only the keeper uses; showing and hiding go through short connections of
 * their own, since window ids are the server's, not the connection's.
 */
#include <pthread.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

static pthread_mutex_t layer_lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t layer_ready = PTHREAD_COND_INITIALIZER;
static int layer_started;
static int layer_done;
static Window layer_window;
static int layer_hidden;

/* True when the layer is the lowest child of the root window. */
static int is_lowest(Display *display, Window window)
{
    Window root, parent, *children = NULL;
    unsigned int count = 0;
    int lowest = 1;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        lowest = count == 0 || children[0] == window;
        if (children) XFree(children);
    }
    return lowest;
}

static Window create_layer(Display *display)
{
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    XSetWindowAttributes attributes;
    Atom type, desktop;
    Window window;

    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, screen);
    window = XCreateWindow(display, root, 0, 0, (unsigned)DisplayWidth(display, screen),
                           (unsigned)DisplayHeight(display, screen), 0, CopyFromParent, InputOutput,
                           CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    if (!window) return 0;
    XStoreName(display, window, "Kelvane wallpaper");
    /* A window manager that does manage it keeps it with the desktop. */
    type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    desktop = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace, (unsigned char *)&desktop, 1);
    /* Restacks of the root's children tell when something went under it. */
    XSelectInput(display, root, SubstructureNotifyMask);
    /* Lowered before it is mapped, so it never covers anything, not even
       for a moment (the windows over it would have to be drawn again). */
    XLowerWindow(display, window);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

static void *keep_lowest(void *unused)
{
    Display *display = XOpenDisplay(NULL);
    Window window = 0;
    (void)unused;
    if (display) window = create_layer(display);
    pthread_mutex_lock(&layer_lock);
    layer_window = window;
    layer_done = 1;
    pthread_cond_broadcast(&layer_ready);
    pthread_mutex_unlock(&layer_lock);
    if (!window) {
        if (display) XCloseDisplay(display);
        return NULL;
    }

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != ConfigureNotify && event.type != MapNotify && event.type != CirculateNotify &&
            event.type != ReparentNotify)
            continue;
        /* Read the rest first: one check answers a burst of restacks. */
        while (XPending(display)) XNextEvent(display, &event);
        if (!is_lowest(display, window)) {
            XLowerWindow(display, window);
            XFlush(display);
        }
    }
    return NULL;
}

/* Maps or unmaps the layer, through a connection of this call's own. */
static void show_layer(Window window, int shown)
{
    Display *display = XOpenDisplay(NULL);
    if (!display) return;
    if (shown) {
        XLowerWindow(display, window);
        XMapWindow(display, window);
    } else {
        XUnmapWindow(display, window);
    }
    XSync(display, False);
    XCloseDisplay(display);
}

static int layer_users;

/* The layer's X window for one more user: made and shown on first use,
   shown again when it was hidden; 0 when there is no X display for it. */
unsigned long bridge_desktop_layer_acquire(void)
{
    Window window;
    int show;
    pthread_mutex_lock(&layer_lock);
    if (!layer_started) {
        pthread_t keeper;
        layer_started = 1;
        if (pthread_create(&keeper, NULL, keep_lowest, NULL) == 0)
            pthread_detach(keeper);
        else
            layer_done = 1;
    }
    while (!layer_done) pthread_cond_wait(&layer_ready, &layer_lock);
    window = layer_window;
    /* Made mapped: only a later first user has to show it again. */
    show = window && layer_users++ == 0 && layer_hidden;
    if (show) {
        show_layer(window, 1);
        layer_hidden = 0;
    }
    pthread_mutex_unlock(&layer_lock);
    return (unsigned long)window;
}

/* One user fewer; the desktop is given back when none is left. */
void bridge_desktop_layer_release(void)
{
    pthread_mutex_lock(&layer_lock);
    if (layer_window && layer_users > 0 && --layer_users == 0) {
        show_layer(layer_window, 0);
        layer_hidden = 1;
    }
    pthread_mutex_unlock(&layer_lock);
}
