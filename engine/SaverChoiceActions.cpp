// "SAVER_SPLASH_1", "SAVER_INIT_1", "SAVER_SELECTNEXT_1", "SAVER_SELECTPLAY_1":
// reload the catalogs, size the shuffled orders, and decide what comes next.
#include "engine/FrameRest.h"
#include "engine/Logic.h"
#include "engine/ProgramVariant.h"
#include "engine/SaverActionCallbacks.h"
#include "engine/SaverPlayer.h"
#include "engine/SaverState.h"
#include "engine/ScrSvrMachine.h"
#include "engine/ScrSvrThread.h"
#include "engine/Settings.h"
#include "engine/ShowRequests.h"
#include "media/ListPlayer.h"
#include "media/MediaKind.h"
#include "media/Randomizer.h"
#include "media/VisualOptions.h"
#include "platform/HighResTimer.h"
#include "platform/Trace.h"

namespace {

// A choice that found nothing to show rests this long before it tries again.
constexpr double kChoiceRetrySeconds = 1.0;

bool g_choiceWaiting = false;
bool g_holdNextChoice = false;
double g_choiceWaitStart = 0.0;

double Now() { return CHighResTimer::GetAbsoluteTime(); }

bool IsAudioLike(int kind) { return kind == MediaKindAudio || kind == MediaKindPlaylist; }

// Goom re-created the players: the new media player needs its window again.
void ApplyGoomRule(int kind) {
  if (CurrentVisualIndex != VisualModeGoom || !IsAudioLike(kind)) return;
  if (CScrSvrThread* thread = GetScrSvrThread()) SetVideoWindow(ShowVideoWindow(thread->GetWindow()));
}

// The road for an item of the kind; null when none fits.
const wchar_t* RoadFor(int kind, bool fromDialog) {
  bool localImage = CurrentVisualIndex == VisualModeLocalImage;
  bool pictures = GetPictureCount() > 0;
  if (kind == MediaKindVideo) return L"SAVER_VIDEOLOADING_1";
  if (kind == MediaKindWebMedia) return L"SAVER_WEBMLOADING_1";
  if (localImage && pictures && (kind == MediaKindNone || (kind == MediaKindPicture && !fromDialog))) {
    ForcePictureRender = 1;
    return L"SAVER_PICONLYLOADING_1";
  }
  if (localImage && pictures && IsAudioLike(kind)) {
    ForcePictureRender = 1;
    return L"SAVER_PICAUDIOLOADING_1";
  }
  // Audio plays on the audio road in every mode: with a mode outside 0-8 its
  // options hold no visualisation, and it still plays to its end.
  if (kind == MediaKindAudio) return L"SAVER_AUDIOVISUALLOADING_1";
  if (fromDialog) return kind == MediaKindPlaylist ? L"SAVER_PLAYLISTLOADING_1" : nullptr;
  if (AdvertsEnabled) return L"SAVER_ADSLOADING_1";
  // A playlist that fits no other road plays as audio with a visualisation.
  if (kind == MediaKindPlaylist) return L"SAVER_AUDIOVISUALLOADING_1";
  return nullptr;
}

// Nothing to show: stay in the choice and try again a little later.
void WaitForChoice() {
  g_choiceWaiting = true;
  g_choiceWaitStart = Now();
  Trace(L"choice: nothing to show, waiting");
}

}  // namespace

void HoldNextChoice() { g_holdNextChoice = true; }

int SplashEnter(CScrSvrMachine*, int) {
  SetCatalogReloadRequested(false);
  return 0;
}

int SplashUpdate(CScrSvrMachine* owner, int) {
  owner->SetState(L"SAVER_INIT_1");
  return 0;
}

int SplashExit(CScrSvrMachine*, int) {
  KEL_Logic::ReloadCatalogs();
  Tam_Randomizer* randomizer = GetRandomizer();
  if (!randomizer) return 0;
  randomizer->SetupSlot(3, 4);
  randomizer->ShuffleSlot(3);
  int pictures = GetPictureCount();
  int media = GetMediaCount();
  int adverts = GetAdvertCount();
  if (pictures) randomizer->SetupSlot(0, pictures);
  if (media) randomizer->SetupSlot(1, media);
  if (adverts) randomizer->SetupSlot(2, adverts);
  if (RandomMedia) {
    if (pictures) randomizer->ShuffleSlot(0);
    if (media) randomizer->ShuffleSlot(1);
    if (adverts) randomizer->ShuffleSlot(2);
  }
  Trace(L"catalogs: %d pictures, %d media, %d adverts", pictures, media, adverts);
  return 0;
}

int InitEnter(CScrSvrMachine* owner, int) {
  if (AdvertsEnabled && AdvertsFirst) {
    owner->SetState(L"SAVER_ADSLOADING_1");
    AdvertsFirst = 0;
  } else {
    owner->SetState(L"SAVER_SELECTNEXT_1");
  }
  return 0;
}

int SelectNextEnter(CScrSvrMachine* owner, int) {
  g_choiceWaiting = false;
  SetAdvertPlaying(false);
  SetDialogPlayKind(0);
  if (IsCatalogReloadRequested()) {
    KEL_Logic::ReloadCatalogs();
    owner->SetState(L"SAVER_SPLASH_1");
    return 0;
  }
  // The dialog's Stop or Play from the show's start comes before anything of
  // the catalog.
  if (AnswerPlaybackRequestKeptForFirstChoice()) return 0;
  if (g_holdNextChoice) {
    g_holdNextChoice = false;
    WaitForChoice();
    return 0;
  }
  double now = Now();
  int adverts = GetAdvertCount();
  if (AdvertsEnabled && adverts > 0 && now - LastAdvertTime > static_cast<double>(AdvertInterval)) {
    LastAdvertTime = now;
    owner->SetState(L"SAVER_ADSLOADING_1");
    SaveCurrentIndexes();
    return 0;
  }

  int kind = MediaKindNone;
  bool pictureChoice = false;
  int pictures = GetPictureCount();
  int media = GetMediaCount();
  if (CurrentVisualIndex == VisualModeLocalImage && pictures > 0) {
    if (media == 0) {
      pictureChoice = true;
    } else {
      int r = static_cast<int>(RandomFloat(0.0f, static_cast<float>(media + pictures)));
      pictureChoice = r < pictures;
    }
    if (pictureChoice) kind = MediaKindPicture;
  }
  // Without libvlc there is no media to start: the choice then falls to a
  // picture where there are pictures, and otherwise waits.
  const SaverPlayer& player = GetSaverPlayer();
  if (!pictureChoice && player.isOpen()) {
    player.playNextMedia();
    kind = player.currentMediaKind();
  }
  ApplyGoomRule(kind);
  if (const wchar_t* road = RoadFor(kind, false))
    owner->SetState(road);
  else
    WaitForChoice();
  SaveCurrentIndexes();
  return 0;
}

// Only runs while a choice found nothing: a reload request is answered here,
// and the choice is tried again about once a second.
int SelectNextUpdate(CScrSvrMachine* owner, int) {
  if (!g_choiceWaiting) return 0;
  if (IsCatalogReloadRequested()) {
    g_choiceWaiting = false;
    KEL_Logic::ReloadCatalogs();
    owner->SetState(L"SAVER_SPLASH_1");
    return 0;
  }
  if (Now() - g_choiceWaitStart > kChoiceRetrySeconds)
    owner->SetState(L"SAVER_SELECTNEXT_1");
  else
    WakeFrameAfter(g_choiceWaitStart + kChoiceRetrySeconds);
  return 0;
}

// The dialog's Play has already started its item; the show only watches it.
// A kind no road takes would leave the show here for good: it goes on with
// its next choice instead.
int SelectPlayEnter(CScrSvrMachine* owner, int) {
  SetAdvertPlaying(false);
  int kind = GetDialogPlayKind();
  SetDialogPlayKind(0);
  ApplyGoomRule(kind);
  const wchar_t* road = RoadFor(kind, true);
  owner->SetState(road ? road : L"SAVER_SELECTNEXT_1");
  SaveCurrentIndexes();
  return 0;
}
