/*
 * libvlc.dll for Wine: a winelib library that exports, under libvlc's own
 * names and with the Windows calling convention, each libvlc entry the
 * program binds, and forwards it to the Linux libvlc.
 *
 * What it changes on the way:
 * - file paths (and "file:///C:/..." locations) arrive in Windows form and
 *   leave as Unix paths;
 * - a window handle becomes the X11 window Wine keeps for it (or, once Wine
 *   draws Direct3D there, the client window over it), looked up again at each
 *   start of playback; libvlc's windows there let keys and the mouse
 *   through to Wine's window (x11window.c);
 * - a player whose library instance was made with "--video-wallpaper", or
 *   whose media carries the option "video-wallpaper", draws into the desktop
 *   layer (desktoplayer.c), a full-screen X window under every other window,
 *   whatever window it was given, until it stops: libvlc's wallpaper mode
 *   exists on Windows only, and under Wine the show must still be seen
 *   behind other programs, and the desktop again once it stopped;
 * - when KEL_VLC_BRIDGE_OUTPUT is "dummy", libvlc gets the dummy audio and
 *   video outputs, so tests need no sound card and open no window;
 * - otherwise, when KEL_VLC_BRIDGE_SOUND_FILE names a Windows file, libvlc's
 *   sound goes through ALSA's "file" device into that file as a WAV, and on
 *   to ALSA's null device, which paces it; libvlc's own mute acts before the
 *   device, so tests hear whether a user would. The file holds the samples
 *   libvlc gave, but not in their timing (the null device lets the file
 *   device write its buffer over and over);
 * - when KEL_VLC_BRIDGE_LOG names a file, one line per call is appended to
 *   it: the function, its arguments and its result, separated by tabs;
 * - when KEL_VLC_BRIDGE_FAIL_NEW is "1", libvlc_new returns NULL without
 *   asking libvlc, so tests can take the program's road for a libvlc that
 *   loads but will not start;
 * - when KEL_VLC_BRIDGE_HOLD_NEW names a Windows file, libvlc_new waits until
 *   that file exists (a minute at most), so a test can hold the program where
 *   it opens libvlc, in the middle of its start, and let it go on later.
 *
 * The variables are read from the Windows environment at each call, so a
 * test can set them in-process.
 */
#include <windows.h>

#include <vlc/vlc.h>

#include "wallpaper.h"

/* kernel32's Wine extension; the result is freed with HeapFree. */
extern char *CDECL wine_get_unix_file_name(LPCWSTR dos);

/* ---- small text building, no CRT formatting ---- */

typedef struct {
    char *text;
    size_t length;
    size_t capacity;
} line_t;

static void line_append(line_t *line, const char *s, size_t n)
{
    if (!line->text && line->capacity == (size_t)-1) return; /* out of memory before */
    if (line->length + n + 2 > line->capacity) {
        size_t capacity = (line->length + n + 2) * 2;
        char *text = line->text ? HeapReAlloc(GetProcessHeap(), 0, line->text, capacity)
                                : HeapAlloc(GetProcessHeap(), 0, capacity);
        if (!text) {
            if (line->text) HeapFree(GetProcessHeap(), 0, line->text);
            line->text = NULL;
            line->capacity = (size_t)-1;
            return;
        }
        line->text = text;
        line->capacity = capacity;
    }
    memcpy(line->text + line->length, s, n);
    line->length += n;
}

static void line_text(line_t *line, const char *s)
{
    line_append(line, "\t", 1);
    if (!s) {
        line_append(line, "(null)", 6);
        return;
    }
    line_append(line, s, strlen(s));
}

static void line_number(line_t *line, long long value)
{
    char digits[24];
    int n = 0;
    unsigned long long v = value < 0 ? (unsigned long long)(-(value + 1)) + 1 : (unsigned long long)value;
    do {
        digits[sizeof(digits) - 1 - n++] = (char)('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0) digits[sizeof(digits) - 1 - n++] = '-';
    line_append(line, "\t", 1);
    line_append(line, digits + sizeof(digits) - n, (size_t)n);
}

static void line_pointer(line_t *line, const void *p)
{
    static const char hex[] = "0123456789abcdef";
    char digits[2 + 16];
    unsigned long long v = (unsigned long long)(ULONG_PTR)p;
    int i;
    if (!p) {
        line_append(line, "\tnull", 5);
        return;
    }
    digits[0] = '0';
    digits[1] = 'x';
    for (i = 0; i < 16; ++i) digits[2 + i] = hex[(v >> (60 - 4 * i)) & 0xf];
    line_append(line, "\t", 1);
    line_append(line, digits, sizeof(digits));
}

/* ---- the Windows environment ---- */

static WCHAR *get_env(const WCHAR *name)
{
    DWORD n = GetEnvironmentVariableW(name, NULL, 0);
    WCHAR *value;
    if (n <= 1) return NULL;
    value = HeapAlloc(GetProcessHeap(), 0, n * sizeof(WCHAR));
    if (!value) return NULL;
    if (GetEnvironmentVariableW(name, value, n) + 1 != n) {
        HeapFree(GetProcessHeap(), 0, value);
        return NULL;
    }
    return value;
}

/* KEL_VLC_BRIDGE_OUTPUT is "dummy". */
static BOOL dummy_outputs(void)
{
    WCHAR *value = get_env(L"KEL_VLC_BRIDGE_OUTPUT");
    BOOL dummy = value && lstrcmpiW(value, L"dummy") == 0;
    if (value) HeapFree(GetProcessHeap(), 0, value);
    return dummy;
}

/* a, b and c joined, on the process heap; NULL when out of memory. */
static char *heap_join(const char *a, const char *b, const char *c)
{
    char *text = HeapAlloc(GetProcessHeap(), 0, strlen(a) + strlen(b) + strlen(c) + 1);
    if (!text) return NULL;
    strcpy(text, a);
    strcat(text, b);
    strcat(text, c);
    return text;
}

static void free_output_args(char **args, int count)
{
    int i;
    if (!args) return;
    for (i = 0; i < count; ++i)
        if (args[i]) HeapFree(GetProcessHeap(), 0, args[i]);
    HeapFree(GetProcessHeap(), 0, args);
}

/* Outputs chosen by KEL_VLC_BRIDGE_OUTPUT: "dummy" (tests: no sound card,
 * no picture); anything else leaves libvlc its own choice, but for the sound
 * of KEL_VLC_BRIDGE_SOUND_FILE. The texts go with free_output_args. */
static int output_args(char ***args)
{
    static const char *const dummy[] = {"--aout=dummy", "--vout=dummy", "--quiet"};
    const BOOL use_dummy = dummy_outputs();
    WCHAR *sound = use_dummy ? NULL : get_env(L"KEL_VLC_BRIDGE_SOUND_FILE");
    char *unix_sound = sound ? wine_get_unix_file_name(sound) : NULL;
    int count = 0, i;
    *args = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 3 * sizeof(char *));
    if (*args && use_dummy) {
        for (count = 0; count < 3; ++count) (*args)[count] = heap_join(dummy[count], "", "");
    } else if (*args && unix_sound) {
        (*args)[count++] = heap_join("--aout=alsa", "", "");
        (*args)[count++] = heap_join("--alsa-audio-device=file:'", unix_sound, "',wav");
    }
    for (i = 0; *args && i < count; ++i)
        if (!(*args)[i]) { /* out of memory: libvlc's own choice */
            free_output_args(*args, count);
            *args = NULL;
        }
    if (!*args) count = 0;
    if (unix_sound) HeapFree(GetProcessHeap(), 0, unix_sound);
    if (sound) HeapFree(GetProcessHeap(), 0, sound);
    return count;
}

static BOOL fail_new(void)
{
    WCHAR *value = get_env(L"KEL_VLC_BRIDGE_FAIL_NEW");
    BOOL fail = value && lstrcmpW(value, L"1") == 0;
    if (value) HeapFree(GetProcessHeap(), 0, value);
    return fail;
}

/* ---- the call log ---- */

static SRWLOCK log_lock = SRWLOCK_INIT;

static BOOL log_begin(line_t *line, const char *function)
{
    WCHAR *path = get_env(L"KEL_VLC_BRIDGE_LOG");
    line->text = NULL;
    line->length = line->capacity = 0;
    if (!path) return FALSE;
    HeapFree(GetProcessHeap(), 0, path);
    line_append(line, function, strlen(function));
    return TRUE;
}

static void log_end(line_t *line)
{
    WCHAR *path = get_env(L"KEL_VLC_BRIDGE_LOG");
    if (path && line->text) {
        HANDLE file;
        line_append(line, "\n", 1);
        AcquireSRWLockExclusive(&log_lock);
        file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written;
            WriteFile(file, line->text, (DWORD)line->length, &written, NULL);
            CloseHandle(file);
        }
        ReleaseSRWLockExclusive(&log_lock);
    }
    if (path) HeapFree(GetProcessHeap(), 0, path);
    if (line->text) HeapFree(GetProcessHeap(), 0, line->text);
}

/* Calls that only take handles and give back a handle or a number. */
static void log_call(const char *function, const void *handle, int has_arg, long long arg, int has_result,
                     long long result)
{
    line_t line;
    if (!log_begin(&line, function)) return;
    line_pointer(&line, handle);
    if (has_arg) line_number(&line, arg);
    if (has_result) {
        line_append(&line, "\t=", 2);
        line_number(&line, result);
    }
    log_end(&line);
}

/* Calls between handles: the handles, then the handle given back, if any. */
static void log_handles(const char *function, int count, const void *a, const void *b, int has_result,
                        const void *result)
{
    line_t line;
    if (!log_begin(&line, function)) return;
    line_pointer(&line, a);
    if (count > 1) line_pointer(&line, b);
    if (has_result) {
        line_append(&line, "\t=", 2);
        line_pointer(&line, result);
    }
    log_end(&line);
}

/* KEL_VLC_BRIDGE_HOLD_NEW: waits for its file; the wait is logged as it
   begins, so a test knows the program is held. */
static void hold_new(void)
{
    WCHAR *path = get_env(L"KEL_VLC_BRIDGE_HOLD_NEW");
    DWORD start = GetTickCount();
    line_t line;
    if (!path) return;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        if (log_begin(&line, "libvlc_new_held")) log_end(&line);
        while (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 60000) Sleep(20);
    }
    HeapFree(GetProcessHeap(), 0, path);
}

/* ---- paths ---- */

/* A Windows path in UTF-8 as a Unix path (HeapFree it), or NULL when Wine
   cannot map it (then the path goes on unchanged and libvlc reports it). */
static char *unix_path(const char *path)
{
    int n;
    WCHAR *wide;
    char *result;
    if (!path || !*path) return NULL;
    n = MultiByteToWideChar(CP_UTF8, 0, path, -1, NULL, 0);
    if (n <= 0) return NULL;
    wide = HeapAlloc(GetProcessHeap(), 0, n * sizeof(WCHAR));
    if (!wide) return NULL;
    MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, n);
    result = wine_get_unix_file_name(wide);
    HeapFree(GetProcessHeap(), 0, wide);
    return result;
}

static int hex_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

static BOOL starts_with_nocase(const char *text, const char *prefix)
{
    for (; *prefix; ++text, ++prefix) {
        char c = *text >= 'A' && *text <= 'Z' ? (char)(*text - 'A' + 'a') : *text;
        if (c != *prefix) return FALSE;
    }
    return TRUE;
}

/* "file:///C:/a%20b/c.wav" as "C:\a b\c.wav" (HeapFree it); NULL for any
   other location. */
static char *file_location_path(const char *location)
{
    const char *p;
    char *path, *out;
    if (!location || !starts_with_nocase(location, "file:///")) return NULL;
    p = location + 8;
    if (!((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) || p[1] != ':') return NULL;
    path = HeapAlloc(GetProcessHeap(), 0, strlen(p) + 1);
    if (!path) return NULL;
    for (out = path; *p; ++p) {
        if (*p == '%' && hex_value(p[1]) >= 0 && hex_value(p[2]) >= 0) {
            *out++ = (char)(hex_value(p[1]) * 16 + hex_value(p[2]));
            p += 2;
        } else if (*p == '/') {
            *out++ = '\\';
        } else if (*p == '?' || *p == '#') {
            break;
        } else {
            *out++ = *p;
        }
    }
    *out = 0;
    return path;
}

/* ---- window handles: the X11 window of each player's HWND ---- */

/* Small tables of what the bridge must remember per handle: the window
   each media player was given, and the media player each list player plays
   through. A null value forgets the key. */
#define MAX_PAIRS 64
typedef struct {
    const void *key;
    void *value;
} pair_t;

static pair_t windows[MAX_PAIRS];
static pair_t list_players[MAX_PAIRS];
static SRWLOCK pair_lock = SRWLOCK_INIT;

static void pair_set(pair_t *table, const void *key, void *value)
{
    int i, free_slot = -1;
    AcquireSRWLockExclusive(&pair_lock);
    for (i = 0; i < MAX_PAIRS; ++i) {
        if (table[i].key == key) break;
        if (!table[i].key && free_slot < 0) free_slot = i;
    }
    if (i == MAX_PAIRS) i = free_slot;
    if (i >= 0) {
        table[i].key = value ? key : NULL;
        table[i].value = value;
    }
    ReleaseSRWLockExclusive(&pair_lock);
}

static void *pair_get(const pair_t *table, const void *key)
{
    void *value = NULL;
    int i;
    AcquireSRWLockShared(&pair_lock);
    for (i = 0; i < MAX_PAIRS; ++i)
        if (key && table[i].key == key) value = table[i].value;
    ReleaseSRWLockShared(&pair_lock);
    return value;
}

static void remember_window(libvlc_media_player_t *player, void *hwnd) { pair_set(windows, player, hwnd); }

static void *remembered_window(libvlc_media_player_t *player) { return pair_get(windows, player); }

static void remember_list_player(libvlc_media_list_player_t *list_player, libvlc_media_player_t *player)
{
    pair_set(list_players, list_player, player);
}

static libvlc_media_player_t *list_player_output(libvlc_media_list_player_t *list_player)
{
    return pair_get(list_players, list_player);
}

/* ---- wallpapers ---- */

/* The player draws into the desktop layer. With the dummy outputs nothing is
   drawn, so no layer is made; the log still tells that it was asked for. */
static void bind_desktop_layer(libvlc_media_player_t *player)
{
    unsigned long layer = dummy_outputs() ? 0 : wallpaper_take_layer(player);
    line_t line;
    if (log_begin(&line, "libvlc_media_player_set_xwindow")) {
        line_pointer(&line, player);
        line_text(&line, "video-wallpaper");
        line_number(&line, (long long)layer);
        log_end(&line);
    }
    if (layer) libvlc_media_player_set_xwindow(player, (uint32_t)layer);
}

/* x11window.c */
extern unsigned long bridge_x11_drawing_window(unsigned long whole);
extern void bridge_x11_pass_input_through(unsigned long drawing, unsigned long whole);

static ULONG_PTR whole_window(void *hwnd)
{
    return hwnd ? (ULONG_PTR)GetPropA((HWND)hwnd, "__wine_x11_whole_window") : 0;
}

/* Wine makes the window that Direct3D draws into when the device is created,
   after the player was bound; so the window is looked up again right before
   each start. */
static void rebind_window(libvlc_media_player_t *player, libvlc_media_t *media)
{
    void *hwnd;
    ULONG_PTR whole, drawing;
    if (!player) return;
    if (wallpaper_plays(player, media)) {
        bind_desktop_layer(player);
        return;
    }
    wallpaper_leave_layer(player);
    hwnd = remembered_window(player);
    if (!hwnd) return;
    whole = whole_window(hwnd);
    drawing = bridge_x11_drawing_window(whole);
    bridge_x11_pass_input_through(drawing, whole);
    libvlc_media_player_set_xwindow(player, (uint32_t)drawing);
}

/* libvlc may make windows of its own inside the drawing window once an item
   plays; the state polls (a few a second) let their input through too. */
static void pass_input_through(libvlc_media_player_t *player)
{
    static LONG last_tick;
    DWORD now = GetTickCount();
    void *hwnd = player ? remembered_window(player) : NULL;
    ULONG_PTR whole;
    if (!hwnd || now - (DWORD)InterlockedCompareExchange(&last_tick, 0, 0) < 250) return;
    InterlockedExchange(&last_tick, (LONG)now);
    whole = whole_window(hwnd);
    bridge_x11_pass_input_through(bridge_x11_drawing_window(whole), whole);
}

/* ---- the entries ---- */

libvlc_instance_t *CDECL bridge_new(int argc, const char *const *argv)
{
    char **outputs;
    const int extra = output_args(&outputs);
    const char **args;
    libvlc_instance_t *instance;
    line_t line;
    int i;

    if (argc < 0 || (argc > 0 && !argv)) argc = 0;
    args = HeapAlloc(GetProcessHeap(), 0, (argc + extra + 1) * sizeof(*args));
    if (!args) {
        free_output_args(outputs, extra);
        return NULL;
    }
    for (i = 0; i < argc; ++i) args[i] = argv[i];
    for (i = 0; i < extra; ++i) args[argc + i] = outputs[i];
    args[argc + extra] = NULL;
    hold_new();
    instance = fail_new() ? NULL : libvlc_new(argc + extra, args);
    wallpaper_instance_made(instance, argc, argv);

    if (log_begin(&line, "libvlc_new")) {
        for (i = 0; i < argc + extra; ++i) line_text(&line, args[i]);
        line_append(&line, "\t=", 2);
        line_pointer(&line, instance);
        log_end(&line);
    }
    HeapFree(GetProcessHeap(), 0, args);
    free_output_args(outputs, extra);
    return instance;
}

void CDECL bridge_release(libvlc_instance_t *instance)
{
    log_call("libvlc_release", instance, 0, 0, 0, 0);
    libvlc_release(instance);
}

libvlc_media_t *CDECL bridge_media_new_path(libvlc_instance_t *instance, const char *path)
{
    char *mapped = unix_path(path);
    libvlc_media_t *media = libvlc_media_new_path(instance, mapped ? mapped : path);
    line_t line;
    wallpaper_media_made(media);
    if (log_begin(&line, "libvlc_media_new_path")) {
        line_text(&line, path);
        line_text(&line, mapped ? mapped : path);
        line_append(&line, "\t=", 2);
        line_pointer(&line, media);
        log_end(&line);
    }
    if (mapped) HeapFree(GetProcessHeap(), 0, mapped);
    return media;
}

/* Local files given as Windows "file:///" locations are opened by their Unix
   path; every other location goes through unchanged. */
libvlc_media_t *CDECL bridge_media_new_location(libvlc_instance_t *instance, const char *location)
{
    char *path = file_location_path(location);
    char *mapped = path ? unix_path(path) : NULL;
    libvlc_media_t *media =
        mapped ? libvlc_media_new_path(instance, mapped) : libvlc_media_new_location(instance, location);
    line_t line;
    wallpaper_media_made(media);
    if (log_begin(&line, "libvlc_media_new_location")) {
        line_text(&line, location);
        line_text(&line, mapped ? mapped : location);
        line_append(&line, "\t=", 2);
        line_pointer(&line, media);
        log_end(&line);
    }
    if (mapped) HeapFree(GetProcessHeap(), 0, mapped);
    if (path) HeapFree(GetProcessHeap(), 0, path);
    return media;
}

void CDECL bridge_media_add_option(libvlc_media_t *media, const char *option)
{
    line_t line;
    if (log_begin(&line, "libvlc_media_add_option")) {
        line_pointer(&line, media);
        line_text(&line, option);
        log_end(&line);
    }
    wallpaper_media_option(media, option);
    libvlc_media_add_option(media, option);
}

void CDECL bridge_media_release(libvlc_media_t *media)
{
    log_call("libvlc_media_release", media, 0, 0, 0, 0);
    libvlc_media_release(media);
}

void CDECL bridge_media_retain(libvlc_media_t *media)
{
    log_call("libvlc_media_retain", media, 0, 0, 0, 0);
    libvlc_media_retain(media);
}

/* What libvlc read out of a playlist (or any media that holds others). */
libvlc_media_list_t *CDECL bridge_media_subitems(libvlc_media_t *media)
{
    libvlc_media_list_t *list = libvlc_media_subitems(media);
    log_handles("libvlc_media_subitems", 1, media, NULL, 1, list);
    return list;
}

/* The text is libvlc's, freed with libvlc_free. */
char *CDECL bridge_media_get_mrl(libvlc_media_t *media)
{
    char *mrl = libvlc_media_get_mrl(media);
    line_t line;
    if (log_begin(&line, "libvlc_media_get_mrl")) {
        line_pointer(&line, media);
        line_append(&line, "\t=", 2);
        line_text(&line, mrl);
        log_end(&line);
    }
    return mrl;
}

void CDECL bridge_free(void *pointer)
{
    libvlc_free(pointer);
}

libvlc_time_t CDECL bridge_media_get_duration(libvlc_media_t *media)
{
    libvlc_time_t duration = libvlc_media_get_duration(media);
    log_call("libvlc_media_get_duration", media, 0, 0, 1, duration);
    return duration;
}

libvlc_media_player_t *CDECL bridge_media_player_new(libvlc_instance_t *instance)
{
    libvlc_media_player_t *player = libvlc_media_player_new(instance);
    wallpaper_player_made(player, instance);
    log_handles("libvlc_media_player_new", 1, instance, NULL, 1, player);
    return player;
}

void CDECL bridge_media_player_release(libvlc_media_player_t *player)
{
    log_call("libvlc_media_player_release", player, 0, 0, 0, 0);
    remember_window(player, NULL);
    libvlc_media_player_release(player);
    wallpaper_player_released(player);
}

void CDECL bridge_media_player_set_media(libvlc_media_player_t *player, libvlc_media_t *media)
{
    log_handles("libvlc_media_player_set_media", 2, player, media, 0, NULL);
    libvlc_media_player_set_media(player, media);
}

int CDECL bridge_media_player_play(libvlc_media_player_t *player)
{
    int result;
    rebind_window(player, NULL);
    result = libvlc_media_player_play(player);
    log_call("libvlc_media_player_play", player, 0, 0, 1, result);
    return result;
}

void CDECL bridge_media_player_set_pause(libvlc_media_player_t *player, int pause)
{
    log_call("libvlc_media_player_set_pause", player, 1, pause, 0, 0);
    libvlc_media_player_set_pause(player, pause);
}

/* On Windows the wallpaper's video output gives the desktop back when it
   closes, which a stop does; the layer goes with it. */
void CDECL bridge_media_player_stop(libvlc_media_player_t *player)
{
    log_call("libvlc_media_player_stop", player, 0, 0, 0, 0);
    libvlc_media_player_stop(player);
    wallpaper_leave_layer(player);
}

libvlc_state_t CDECL bridge_media_player_get_state(libvlc_media_player_t *player)
{
    libvlc_state_t state = libvlc_media_player_get_state(player);
    if (state == libvlc_Playing) pass_input_through(player);
    log_call("libvlc_media_player_get_state", player, 0, 0, 1, state);
    return state;
}

/* libvlc draws into the X11 window that Wine keeps behind the HWND; the
   property is there once the window has been mapped. */
void CDECL bridge_media_player_set_hwnd(libvlc_media_player_t *player, void *hwnd)
{
    ULONG_PTR xwindow = whole_window(hwnd);
    line_t line;
    if (log_begin(&line, "libvlc_media_player_set_hwnd")) {
        line_pointer(&line, player);
        line_pointer(&line, hwnd);
        line_number(&line, (long long)xwindow);
        log_end(&line);
    }
    remember_window(player, hwnd);
    libvlc_media_player_set_xwindow(player, (uint32_t)xwindow);
}

void *CDECL bridge_media_player_get_hwnd(libvlc_media_player_t *player)
{
    void *hwnd = remembered_window(player);
    log_handles("libvlc_media_player_get_hwnd", 1, player, NULL, 1, hwnd);
    return hwnd;
}

void CDECL bridge_media_player_set_position(libvlc_media_player_t *player, float position)
{
    log_call("libvlc_media_player_set_position", player, 1, (long long)(position * 1000.0f), 0, 0);
    libvlc_media_player_set_position(player, position);
}

int CDECL bridge_media_player_will_play(libvlc_media_player_t *player)
{
    int result = libvlc_media_player_will_play(player);
    log_call("libvlc_media_player_will_play", player, 0, 0, 1, result);
    return result;
}

void CDECL bridge_media_player_set_video_title_display(libvlc_media_player_t *player, libvlc_position_t position,
                                                      unsigned timeout)
{
    line_t line;
    if (log_begin(&line, "libvlc_media_player_set_video_title_display")) {
        line_pointer(&line, player);
        line_number(&line, position);
        line_number(&line, timeout);
        log_end(&line);
    }
    libvlc_media_player_set_video_title_display(player, position, timeout);
}

void CDECL bridge_video_set_mouse_input(libvlc_media_player_t *player, unsigned on)
{
    log_call("libvlc_video_set_mouse_input", player, 1, on, 0, 0);
    libvlc_video_set_mouse_input(player, on);
}

void CDECL bridge_video_set_key_input(libvlc_media_player_t *player, unsigned on)
{
    log_call("libvlc_video_set_key_input", player, 1, on, 0, 0);
    libvlc_video_set_key_input(player, on);
}

void CDECL bridge_audio_set_mute(libvlc_media_player_t *player, int mute)
{
    log_call("libvlc_audio_set_mute", player, 1, mute, 0, 0);
    libvlc_audio_set_mute(player, mute);
}

libvlc_media_list_t *CDECL bridge_media_list_new(libvlc_instance_t *instance)
{
    libvlc_media_list_t *list = libvlc_media_list_new(instance);
    log_handles("libvlc_media_list_new", 1, instance, NULL, 1, list);
    return list;
}

void CDECL bridge_media_list_release(libvlc_media_list_t *list)
{
    log_call("libvlc_media_list_release", list, 0, 0, 0, 0);
    libvlc_media_list_release(list);
}

int CDECL bridge_media_list_add_media(libvlc_media_list_t *list, libvlc_media_t *media)
{
    int result = libvlc_media_list_add_media(list, media);
    line_t line;
    if (log_begin(&line, "libvlc_media_list_add_media")) {
        line_pointer(&line, list);
        line_pointer(&line, media);
        line_append(&line, "\t=", 2);
        line_number(&line, result);
        log_end(&line);
    }
    return result;
}

libvlc_media_t *CDECL bridge_media_list_item_at_index(libvlc_media_list_t *list, int index)
{
    libvlc_media_t *media = libvlc_media_list_item_at_index(list, index);
    line_t line;
    if (log_begin(&line, "libvlc_media_list_item_at_index")) {
        line_pointer(&line, list);
        line_number(&line, index);
        line_append(&line, "\t=", 2);
        line_pointer(&line, media);
        log_end(&line);
    }
    return media;
}

int CDECL bridge_media_list_count(libvlc_media_list_t *list)
{
    int count = libvlc_media_list_count(list);
    log_call("libvlc_media_list_count", list, 0, 0, 1, count);
    return count;
}

void CDECL bridge_media_list_lock(libvlc_media_list_t *list)
{
    log_call("libvlc_media_list_lock", list, 0, 0, 0, 0);
    libvlc_media_list_lock(list);
}

void CDECL bridge_media_list_unlock(libvlc_media_list_t *list)
{
    log_call("libvlc_media_list_unlock", list, 0, 0, 0, 0);
    libvlc_media_list_unlock(list);
}

libvlc_media_list_player_t *CDECL bridge_media_list_player_new(libvlc_instance_t *instance)
{
    libvlc_media_list_player_t *player = libvlc_media_list_player_new(instance);
    log_handles("libvlc_media_list_player_new", 1, instance, NULL, 1, player);
    return player;
}

void CDECL bridge_media_list_player_release(libvlc_media_list_player_t *player)
{
    log_call("libvlc_media_list_player_release", player, 0, 0, 0, 0);
    remember_list_player(player, NULL);
    libvlc_media_list_player_release(player);
}

void CDECL bridge_media_list_player_set_media_list(libvlc_media_list_player_t *player, libvlc_media_list_t *list)
{
    log_handles("libvlc_media_list_player_set_media_list", 2, player, list, 0, NULL);
    libvlc_media_list_player_set_media_list(player, list);
}

void CDECL bridge_media_list_player_set_media_player(libvlc_media_list_player_t *player,
                                                     libvlc_media_player_t *media_player)
{
    log_handles("libvlc_media_list_player_set_media_player", 2, player, media_player, 0, NULL);
    remember_list_player(player, media_player);
    libvlc_media_list_player_set_media_player(player, media_player);
}

int CDECL bridge_media_list_player_play_item(libvlc_media_list_player_t *player, libvlc_media_t *media)
{
    int result;
    rebind_window(list_player_output(player), media);
    result = libvlc_media_list_player_play_item(player, media);
    line_t line;
    if (log_begin(&line, "libvlc_media_list_player_play_item")) {
        line_pointer(&line, player);
        line_pointer(&line, media);
        line_append(&line, "\t=", 2);
        line_number(&line, result);
        log_end(&line);
    }
    return result;
}

void CDECL bridge_media_list_player_play(libvlc_media_list_player_t *player)
{
    log_call("libvlc_media_list_player_play", player, 0, 0, 0, 0);
    rebind_window(list_player_output(player), NULL);
    libvlc_media_list_player_play(player);
}

void CDECL bridge_media_list_player_set_pause(libvlc_media_list_player_t *player, int pause)
{
    log_call("libvlc_media_list_player_set_pause", player, 1, pause, 0, 0);
    libvlc_media_list_player_set_pause(player, pause);
}

void CDECL bridge_media_list_player_stop(libvlc_media_list_player_t *player)
{
    log_call("libvlc_media_list_player_stop", player, 0, 0, 0, 0);
    libvlc_media_list_player_stop(player);
    wallpaper_leave_layer(list_player_output(player));
}

libvlc_state_t CDECL bridge_media_list_player_get_state(libvlc_media_list_player_t *player)
{
    libvlc_state_t state = libvlc_media_list_player_get_state(player);
    if (state == libvlc_Playing) pass_input_through(list_player_output(player));
    log_call("libvlc_media_list_player_get_state", player, 0, 0, 1, state);
    return state;
}
