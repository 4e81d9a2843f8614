// The bare side of the wallpaper benchmark: nothing but libvlc, loaded from
// the install folder as the show loads it, playing one file as a wallpaper
// over and over until it is stopped or the seconds run out.
//   kel_bare_player <install folder> <file> [seconds]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "media/VlcLibrary.h"
#include "platform/WideText.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fwprintf(stderr, L"usage: kel_bare_player <install folder> <file> [seconds]\n");
    return 2;
  }
  std::wstring install = argv[1];
  if (!install.empty() && install.back() != L'\\') install += L'\\';
  const std::string file = WideToUtf8(argv[2]);
  const DWORD seconds = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 3600;

  const VlcApi* vlc = LoadVlcApi(install);
  if (!vlc) return 1;
  libvlc_instance_t* instance = vlc->libvlc_new(0, nullptr);
  if (!instance) return 1;
  libvlc_media_player_t* player = vlc->libvlc_media_player_new(instance);
  if (!player) return 1;
  vlc->libvlc_video_set_mouse_input(player, 0);

  const DWORD start = GetTickCount();
  while (GetTickCount() - start < seconds * 1000) {
    libvlc_media_t* media = vlc->libvlc_media_new_path(instance, file.c_str());
    if (!media) return 1;
    vlc->libvlc_media_add_option(media, "video-wallpaper");
    vlc->libvlc_media_player_set_media(player, media);
    vlc->libvlc_media_release(media);
    vlc->libvlc_media_player_play(player);
    // Polled as often as the show polls it.
    for (;;) {
      Sleep(66);
      libvlc_state_t state = vlc->libvlc_media_player_get_state(player);
      if (state == libvlc_Ended || state == libvlc_Error || GetTickCount() - start >= seconds * 1000) break;
    }
    vlc->libvlc_media_player_stop(player);
  }
  vlc->libvlc_media_player_release(player);
  vlc->libvlc_release(instance);
  return 0;
}
