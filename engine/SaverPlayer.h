#pragma once

// What the saver's actions ask of the list player. The show uses the list
// player's own functions; a test puts a recording player in their place to
// drive the actions' rules state by state.
struct SaverPlayer {
  bool (*isOpen)();  // libvlc is there to start media
  bool (*playNextMedia)();
  bool (*playNextAdvert)();
  int (*currentMediaKind)();
  int (*playerState)();
  bool (*stopPlayer)();
  bool (*stopListPlayer)();
  bool (*playNextPlaylistEntry)();
  bool (*loadNextPicture)();
  bool (*findPairedPicture)();
  bool (*loadPairedPicture)();
};

const SaverPlayer& GetSaverPlayer();

// Test seam: null restores the list player.
void SetSaverPlayerForTests(const SaverPlayer* player);
