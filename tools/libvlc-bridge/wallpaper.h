/* Which players play as a wallpaper (wallpaper.c). */
#ifndef KEL_BRIDGE_WALLPAPER_H
#define KEL_BRIDGE_WALLPAPER_H

void wallpaper_instance_made(libvlc_instance_t *instance, int argc, const char *const *argv);
void wallpaper_media_made(libvlc_media_t *media);
void wallpaper_media_option(libvlc_media_t *media, const char *option);
void wallpaper_player_made(libvlc_media_player_t *player, libvlc_instance_t *instance);
void wallpaper_player_released(libvlc_media_player_t *player);
/* The player's media (or the media given) makes it a wallpaper. */
BOOL wallpaper_plays(libvlc_media_player_t *player, libvlc_media_t *media);
/* The desktop layer's X window for the player, held until it leaves; 0 when
   there is no layer. */
unsigned long wallpaper_take_layer(libvlc_media_player_t *player);
void wallpaper_leave_layer(libvlc_media_player_t *player);

#endif
