// The saver's loading, playing and watching actions: each loading action
// waits until its item really plays, each playing action watches it until it
// ends, fails or is stopped. All of it by polling the player once a frame.
#include "engine/FrameRest.h"
#include "engine/Logic.h"
#include "engine/ProgramVariant.h"
#include "engine/SaverActionCallbacks.h"
#include "engine/SaverPlayer.h"
#include "engine/SaverState.h"
#include "engine/ScrSvrMachine.h"
#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/VisualOptions.h"
#include "platform/HighResTimer.h"

namespace {

enum PlayerState {
  StateNothingSpecial = 0,
  StateOpening = 1,
  StateBuffering = 2,
  StatePlaying = 3,
  StatePaused = 4,
  StateStopped = 5,
  StateEnded = 6,
  StateError = 7,
};

constexpr const wchar_t* kSelectNext = L"SAVER_SELECTNEXT_1";

double Now() { return CHighResTimer::GetAbsoluteTime(); }

bool LocalImagesShown() { return GetPictureCount() > 0 && CurrentVisualIndex == VisualModeLocalImage; }

bool PictureIntervalOver() {
  double interval = static_cast<double>(PictureIntervalInUse());
  if (Now() - PictureStartTime > interval) return true;
  WakeFrameAfter(PictureStartTime + interval);
  return false;
}

// The loading rules: playing moves on to the watching action; stopped, ended
// or failed back to the choice; anything else waits. Rule A (adverts, video)
// also gives up on an idle player, whose start failed; under rule B (audio,
// playlists) an idle player may still be on its way, and a playlist that
// ended (libvlc has read it) or an entry of it that ended or failed goes on
// with its next entry while there is one.
enum class LoadingRoad { Video, Audio };

void LoadingRule(CScrSvrMachine* owner, const wchar_t* playing, LoadingRoad road) {
  switch (GetSaverPlayer().playerState()) {
    case StatePlaying:
      owner->SetState(playing);
      break;
    case StateNothingSpecial:
      if (road == LoadingRoad::Video) owner->SetState(kSelectNext);
      break;
    case StateEnded:
    case StateError:
      if (road == LoadingRoad::Audio && GetSaverPlayer().playNextPlaylistEntry()) break;
      owner->SetState(kSelectNext);
      break;
    case StateStopped:
      owner->SetState(kSelectNext);
      break;
    default:
      break;  // opening, buffering, paused: wait
  }
}

void LoadingRuleA(CScrSvrMachine* owner, const wchar_t* playing) { LoadingRule(owner, playing, LoadingRoad::Video); }
void LoadingRuleB(CScrSvrMachine* owner, const wchar_t* playing) { LoadingRule(owner, playing, LoadingRoad::Audio); }

// Returns true while the item plays on (or is paused or buffering). On the
// audio roads the end of a playlist's entry starts its next one, which the
// road's loading action (entryLoading) then waits for; the end of the last
// one ends the item.
bool PlayingRule(CScrSvrMachine* owner, const wchar_t* entryLoading = nullptr) {
  int state = GetSaverPlayer().playerState();
  switch (state) {
    case StatePlaying:
    case StateBuffering:
    case StatePaused:
      return true;
    case StateStopped:
      owner->SetState(L"SAVER_PLAYERSTOPPED_1");
      return false;
    default:
      if (entryLoading && (state == StateEnded || state == StateError) &&
          GetSaverPlayer().playNextPlaylistEntry()) {
        owner->SetState(entryLoading);
        return false;
      }
      GetSaverPlayer().stopPlayer();
      owner->SetState(kSelectNext);
      return false;
  }
}

void PictureStep() {
  if (PairImages) {
    GetSaverPlayer().findPairedPicture();
    GetSaverPlayer().loadPairedPicture();
  } else {
    GetSaverPlayer().loadNextPicture();
  }
}

int g_failedPictureRun = 0;
bool g_pictureFailed = false;
bool g_webItemPlayed = false;

}  // namespace

int AdsLoadingEnter(CScrSvrMachine*, int) {
  ForcePictureRender = 0;
  PictureChangeDue = 0;
  SetAdvertPlaying(true);
  GetSaverPlayer().playNextAdvert();
  return 0;
}

int AdsLoadingUpdate(CScrSvrMachine* owner, int) {
  LoadingRuleA(owner, L"SAVER_ADSPLAYING_1");
  return 0;
}

int AdsPlayingExit(CScrSvrMachine*, int) {
  LastAdvertTime = Now();
  return 0;
}

// Enter of the video and audio-visualisation loaders: nothing of a picture.
int ClearPictureFlags(CScrSvrMachine*, int) {
  ForcePictureRender = 0;
  PictureChangeDue = 0;
  return 0;
}

int VideoLoadingUpdate(CScrSvrMachine* owner, int) {
  LoadingRuleA(owner, L"SAVER_VIDEOPLAYING_1");
  return 0;
}

// Update of the advert and video players.
int WatchPlayer(CScrSvrMachine* owner, int) {
  PlayingRule(owner);
  return 0;
}

int AudioVisualPlayingUpdate(CScrSvrMachine* owner, int) {
  PlayingRule(owner, L"SAVER_AUDIOVISUALLOADING_1");
  return 0;
}

int WebMediaLoadingUpdate(CScrSvrMachine* owner, int) {
  owner->SetState(L"SAVER_WEBMPLAYING_1");
  return 0;
}

int WebMediaPlayingEnter(CScrSvrMachine*, int) {
  WebMediaStartTime = Now();
  g_webItemPlayed = false;
  return 0;
}

// A web item is watched while it plays, and while the user holds it paused.
// One that failed (an error, or its end before it ever played) is left at
// once; one still opening or buffering, or ended after it played, is stopped
// and left when it is not playing after its display time.
int WebMediaPlayingUpdate(CScrSvrMachine* owner, int) {
  if (GetWebMediaCount() <= 0) {
    owner->SetState(kSelectNext);
    return 0;
  }
  int state = GetSaverPlayer().playerState();
  if (state == StatePlaying) g_webItemPlayed = true;
  if (state == StatePlaying || state == StatePaused) return 0;
  bool failed = state == StateError || (state == StateEnded && !g_webItemPlayed);
  double duration = static_cast<double>(GetWebMediaDuration());
  if (failed || Now() - WebMediaStartTime > duration) {
    GetSaverPlayer().stopListPlayer();
    owner->SetState(kSelectNext);
  } else {
    WakeFrameAfter(WebMediaStartTime + duration);
  }
  return 0;
}

// A picture that fails is not held for the interval: the next frame, which
// comes at once, goes on to the next choice. When every picture of the list
// failed in a row, the show rests before choosing again instead of spinning
// through them.
int PictureOnlyLoadingEnter(CScrSvrMachine* owner, int) {
  g_pictureFailed = !GetSaverPlayer().loadNextPicture();
  if (!g_pictureFailed) {
    g_failedPictureRun = 0;
  } else if (++g_failedPictureRun >= GetPictureCount()) {
    g_failedPictureRun = 0;
    SaveCurrentIndexes();
    HoldNextChoice();
    owner->SetState(kSelectNext);
    return 0;
  } else {
    WakeFrameAfter(Now());
  }
  SaveCurrentIndexes();
  return 0;
}

int PictureOnlyLoadingUpdate(CScrSvrMachine* owner, int) {
  owner->SetState(g_pictureFailed ? kSelectNext : L"SAVER_PICONLYPLAYING_1");
  return 0;
}

int PictureOnlyPlayingEnter(CScrSvrMachine*, int) {
  PictureStartTime = Now();
  ForcePictureRender = 0;
  return 0;
}

int PictureOnlyPlayingUpdate(CScrSvrMachine* owner, int) {
  if (!LocalImagesShown()) {
    owner->SetState(kSelectNext);
  } else if (PictureIntervalOver()) {
    PictureStartTime = Now();
    owner->SetState(kSelectNext);
  }
  return 0;
}

int PictureAudioLoadingEnter(CScrSvrMachine*, int) {
  PictureStep();
  return 0;
}

int PictureAudioLoadingUpdate(CScrSvrMachine* owner, int) {
  LoadingRuleB(owner, L"SAVER_PICAUDIOPLAYING_1");
  return 0;
}

int PictureAudioLoadingExit(CScrSvrMachine*, int) {
  PictureChangeDue = 0;
  return 0;
}

int PictureAudioPlayingEnter(CScrSvrMachine*, int) {
  PictureStartTime = Now();
  ForcePictureRender = 0;
  return 0;
}

// The next picture is loaded on the frame after the interval ran out, which
// comes at once.
int PictureAudioPlayingUpdate(CScrSvrMachine* owner, int) {
  if (!PlayingRule(owner, L"SAVER_PICAUDIOLOADING_1")) return 0;
  if (!LocalImagesShown()) return 0;
  if (PictureChangeDue == 1) {
    PictureStep();
    PictureChangeDue = 0;
    ForcePictureRender = 0;
  }
  if (PictureIntervalOver()) {
    PictureChangeDue = 1;
    ForcePictureRender = 1;
    PictureStartTime = Now();
    WakeFrameAfter(PictureStartTime);
  }
  return 0;
}

int ClearPictureRender(CScrSvrMachine*, int) {
  ForcePictureRender = 0;
  return 0;
}

int AudioVisualLoadingUpdate(CScrSvrMachine* owner, int) {
  LoadingRuleB(owner, L"SAVER_AUDIOVISUALPLAYING_1");
  return 0;
}

// A playlist handed over from the dialog is watched as audio is.
int PlaylistLoadingUpdate(CScrSvrMachine* owner, int) {
  LoadingRuleB(owner, L"SAVER_PLAYLISTPLAYING_1");
  return 0;
}

int PlaylistPlayingUpdate(CScrSvrMachine* owner, int) {
  PlayingRule(owner, L"SAVER_PLAYLISTLOADING_1");
  return 0;
}

// A stopped player waits for the dialog's Play where a dialog can play during
// the show; in the screen saver nothing can, so the show moves on. The item
// the dialog's Play started is watched as it is: nothing is put up first.
int PlayerStoppedUpdate(CScrSvrMachine* owner, int) {
  if (GetDialogPlayKind() != 0) {
    owner->SetState(L"SAVER_SELECTPLAY_1");
  } else if (!DialogCanPlayDuringShow()) {
    owner->SetState(kSelectNext);
  }
  return 0;
}

int OutroEnter(CScrSvrMachine*, int) {
  GetSaverPlayer().stopListPlayer();
  GetSaverPlayer().stopPlayer();
  return 0;
}
