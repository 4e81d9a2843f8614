#pragma once
#include <string>

#include <vlc/vlc.h>

// Every libvlc function the program calls. libvlc is loaded at run time, so
// the program starts (and shows pictures) on a machine without it.
#define KEL_VLC_FUNCTIONS(X)                  \
  X(libvlc_new)                               \
  X(libvlc_release)                           \
  X(libvlc_media_new_path)                    \
  X(libvlc_media_new_location)                \
  X(libvlc_media_add_option)                  \
  X(libvlc_media_release)                     \
  X(libvlc_media_get_duration)                \
  X(libvlc_media_retain)                      \
  X(libvlc_media_subitems)                    \
  X(libvlc_media_get_mrl)                     \
  X(libvlc_free)                              \
  X(libvlc_media_player_new)                  \
  X(libvlc_media_player_release)              \
  X(libvlc_media_player_set_media)            \
  X(libvlc_media_player_play)                 \
  X(libvlc_media_player_set_pause)            \
  X(libvlc_media_player_stop)                 \
  X(libvlc_media_player_get_state)            \
  X(libvlc_media_player_set_hwnd)             \
  X(libvlc_media_player_get_hwnd)             \
  X(libvlc_media_player_set_position)         \
  X(libvlc_media_player_will_play)            \
  X(libvlc_media_player_set_video_title_display) \
  X(libvlc_video_set_mouse_input)             \
  X(libvlc_video_set_key_input)               \
  X(libvlc_audio_set_mute)                    \
  X(libvlc_media_list_new)                    \
  X(libvlc_media_list_release)                \
  X(libvlc_media_list_add_media)              \
  X(libvlc_media_list_item_at_index)          \
  X(libvlc_media_list_count)                  \
  X(libvlc_media_list_lock)                   \
  X(libvlc_media_list_unlock)                 \
  X(libvlc_media_list_player_new)             \
  X(libvlc_media_list_player_release)         \
  X(libvlc_media_list_player_set_media_list)  \
  X(libvlc_media_list_player_set_media_player) \
  X(libvlc_media_list_player_play_item)       \
  X(libvlc_media_list_player_play)            \
  X(libvlc_media_list_player_set_pause)       \
  X(libvlc_media_list_player_stop)            \
  X(libvlc_media_list_player_get_state)

// The bound functions, under their libvlc names.
struct VlcApi {
#define KEL_VLC_API_FIELD(name) decltype(&::name) name = nullptr;
  KEL_VLC_FUNCTIONS(KEL_VLC_API_FIELD)
#undef KEL_VLC_API_FIELD
};

// Loads "libvlc.dll" from the install folder (its plug-ins sit in the
// "plugins" folder beside it), else through the default search, and binds
// every function of the list. Null when no library is found or one it
// lacks a function. Once loaded, the library stays for the life of the
// process: its plug-ins and threads must never outlive their code.
const VlcApi* LoadVlcApi(const std::wstring& installFolder);
