/*
 * Which players play as a wallpaper: those of a library instance made with
 * "--video-wallpaper", and those whose media carry the option
 * "video-wallpaper". libvlc keeps both to itself, so the bridge notes them on
 * the way through. Kept apart from bridge.c, which only calls in here.
 */
#include <windows.h>

#include <vlc/vlc.h>

#include "wallpaper.h"

/* Handle to handle, growing as needed: media are many (one per list entry).
   A null value forgets the key. */
typedef struct {
    const void *key;
    const void *value;
} entry_t;

typedef struct {
    entry_t *entries;
    size_t count;
    size_t capacity;
} map_t;

static map_t wallpaper_media;     /* media carrying the option */
static map_t wallpaper_instances; /* instances made with the argument */
static map_t player_instances;    /* each player's instance */
static map_t layer_players;       /* players holding the desktop layer */
static SRWLOCK map_lock = SRWLOCK_INIT;

static void map_set(map_t *map, const void *key, const void *value)
{
    size_t i;
    if (!key) return;
    AcquireSRWLockExclusive(&map_lock);
    for (i = 0; i < map->count && map->entries[i].key != key; ++i) {}
    if (i < map->count) {
        if (value)
            map->entries[i].value = value;
        else
            map->entries[i] = map->entries[--map->count];
    } else if (value) {
        if (map->count == map->capacity) {
            size_t capacity = map->capacity ? map->capacity * 2 : 16;
            entry_t *entries = map->entries
                                   ? HeapReAlloc(GetProcessHeap(), 0, map->entries, capacity * sizeof(*entries))
                                   : HeapAlloc(GetProcessHeap(), 0, capacity * sizeof(*entries));
            if (entries) {
                map->entries = entries;
                map->capacity = capacity;
            }
        }
        if (map->count < map->capacity) {
            map->entries[map->count].key = key;
            map->entries[map->count].value = value;
            ++map->count;
        }
    }
    ReleaseSRWLockExclusive(&map_lock);
}

static const void *map_get(const map_t *map, const void *key)
{
    const void *value = NULL;
    size_t i;
    if (!key) return NULL;
    AcquireSRWLockShared(&map_lock);
    for (i = 0; i < map->count && !value; ++i)
        if (map->entries[i].key == key) value = map->entries[i].value;
    ReleaseSRWLockShared(&map_lock);
    return value;
}

/* 1 for a text that turns the wallpaper on ("video-wallpaper",
   ":video-wallpaper", "--video-wallpaper", "--video-wallpaper=1"), 0 for one
   that turns it off ("--no-video-wallpaper", "video-wallpaper=0"), -1 for
   any other text. */
static int wallpaper_switch(const char *text)
{
    static const char name[] = "video-wallpaper";
    const size_t length = sizeof(name) - 1;
    int on = 1;
    if (!text) return -1;
    while (*text == '-' || *text == ':') ++text;
    if (strncmp(text, "no-", 3) == 0) {
        text += 3;
        on = 0;
    }
    if (strncmp(text, name, length) != 0) return -1;
    text += length;
    if (!*text) return on;
    if (*text != '=') return -1;
    ++text;
    if (!lstrcmpiA(text, "0") || !lstrcmpiA(text, "no") || !lstrcmpiA(text, "false")) return !on;
    return on;
}

void wallpaper_instance_made(libvlc_instance_t *instance, int argc, const char *const *argv)
{
    int i, on = 0;
    for (i = 0; i < argc; ++i) {
        int given = wallpaper_switch(argv[i]);
        if (given >= 0) on = given;
    }
    map_set(&wallpaper_instances, instance, on ? instance : NULL);
}

/* A new object may sit where a released one was: what was known about that
   address is forgotten. */
void wallpaper_media_made(libvlc_media_t *media) { map_set(&wallpaper_media, media, NULL); }

void wallpaper_media_option(libvlc_media_t *media, const char *option)
{
    int on = wallpaper_switch(option);
    if (on >= 0) map_set(&wallpaper_media, media, on ? media : NULL);
}

void wallpaper_player_made(libvlc_media_player_t *player, libvlc_instance_t *instance)
{
    map_set(&player_instances, player, instance);
    map_set(&layer_players, player, NULL);
}

/* The player's own media when none is given. */
BOOL wallpaper_plays(libvlc_media_player_t *player, libvlc_media_t *media)
{
    BOOL wallpaper;
    if (!player) return FALSE;
    wallpaper = map_get(&wallpaper_instances, map_get(&player_instances, player)) != NULL;
    if (!wallpaper) {
        libvlc_media_t *current = media ? media : libvlc_media_player_get_media(player);
        wallpaper = map_get(&wallpaper_media, current) != NULL;
        if (!media && current) libvlc_media_release(current);
    }
    return wallpaper;
}

/* desktoplayer.c */
extern unsigned long bridge_desktop_layer_acquire(void);
extern void bridge_desktop_layer_release(void);

unsigned long wallpaper_take_layer(libvlc_media_player_t *player)
{
    unsigned long layer = bridge_desktop_layer_acquire();
    if (layer && !map_get(&layer_players, player))
        map_set(&layer_players, player, player);
    else if (layer)
        bridge_desktop_layer_release(); /* it holds the layer already */
    return layer;
}

void wallpaper_leave_layer(libvlc_media_player_t *player)
{
    if (!map_get(&layer_players, player)) return;
    map_set(&layer_players, player, NULL);
    bridge_desktop_layer_release();
}

void wallpaper_player_released(libvlc_media_player_t *player)
{
    map_set(&player_instances, player, NULL);
    wallpaper_leave_layer(player);
}
