#include "engine/SaverPlayer.h"

#include "media/ListPlayer.h"
#include "media/VlcPlayer.h"

namespace {

bool IsLibraryOpen() { return GetVlcPlayer().IsOpen(); }

const SaverPlayer kListPlayer = {
    IsLibraryOpen,   PlayNextMedia,     PlayNextAdvert,   GetCurrentMediaKind,
    GetPlayerState,  StopPlayer,        StopListPlayer,   PlayNextPlaylistEntry,
    LoadNextPicture, FindPairedPicture, LoadPairedPicture,
};

const SaverPlayer* g_player = &kListPlayer;

}  // namespace

const SaverPlayer& GetSaverPlayer() { return *g_player; }

void SetSaverPlayerForTests(const SaverPlayer* player) { g_player = player ? player : &kListPlayer; }
