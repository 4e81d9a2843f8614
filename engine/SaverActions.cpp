#include "engine/SaverActions.h"

#include <cwchar>

#include "engine/SaverActionCallbacks.h"

namespace {
constexpr StateCallback Z = ReturnZero;
}  // namespace

const SaverActionEntry kSaverActions[20] = {
    {L"SAVER_SPLASH_1", {L"SAVER_INIT_1"}, SplashEnter, SplashUpdate, SplashExit},
    {L"SAVER_INIT_1", {L"SAVER_SELECTNEXT_1"}, InitEnter, Z, Z},
    {L"SAVER_SELECTNEXT_1", {L"SAVER_ADSLOADING_1", L"SAVER_VIDEOLOADING_1", L"SAVER_PICONLYLOADING_1"},
     SelectNextEnter, SelectNextUpdate, Z},
    {L"SAVER_SELECTPLAY_1", {L"SAVER_ADSLOADING_1", L"SAVER_VIDEOLOADING_1", L"SAVER_PICONLYLOADING_1"},
     SelectPlayEnter, Z, Z},
    {L"SAVER_ADSLOADING_1", {L"SAVER_ADSPLAYING_1"}, AdsLoadingEnter, AdsLoadingUpdate, Z},
    {L"SAVER_ADSPLAYING_1", {L"SAVER_SELECTNEXT_1"}, Z, WatchPlayer, AdsPlayingExit},
    {L"SAVER_VIDEOLOADING_1", {L"SAVER_VIDEOPLAYING_1"}, ClearPictureFlags, VideoLoadingUpdate, Z},
    {L"SAVER_VIDEOPLAYING_1", {L"SAVER_SELECTNEXT_1"}, Z, WatchPlayer, Z},
    {L"SAVER_WEBMLOADING_1", {L"SAVER_WEBMPLAYING_1"}, Z, WebMediaLoadingUpdate, Z},
    {L"SAVER_WEBMPLAYING_1", {L"SAVER_SELECTNEXT_1"}, WebMediaPlayingEnter, WebMediaPlayingUpdate, Z},
    {L"SAVER_PICONLYLOADING_1", {L"SAVER_PICONLYPLAYING_1"}, PictureOnlyLoadingEnter, PictureOnlyLoadingUpdate, Z},
    {L"SAVER_PICONLYPLAYING_1", {L"SAVER_SELECTNEXT_1"}, PictureOnlyPlayingEnter, PictureOnlyPlayingUpdate, Z},
    {L"SAVER_PICAUDIOLOADING_1", {L"SAVER_PICAUDIOPLAYING_1"}, PictureAudioLoadingEnter, PictureAudioLoadingUpdate,
     PictureAudioLoadingExit},
    {L"SAVER_PICAUDIOPLAYING_1", {L"SAVER_SELECTNEXT_1"}, PictureAudioPlayingEnter, PictureAudioPlayingUpdate,
     ClearPictureRender},
    {L"SAVER_AUDIOVISUALLOADING_1", {L"SAVER_AUDIOVISUALPLAYING_1"}, ClearPictureFlags,
     AudioVisualLoadingUpdate, Z},
    {L"SAVER_AUDIOVISUALPLAYING_1", {L"SAVER_SELECTNEXT_1"}, Z, AudioVisualPlayingUpdate, ClearPictureRender},
    {L"SAVER_PLAYLISTLOADING_1", {L"SAVER_PLAYLISTPLAYING_1"}, Z, PlaylistLoadingUpdate, Z},
    {L"SAVER_PLAYLISTPLAYING_1", {L"SAVER_SELECTNEXT_1"}, Z, PlaylistPlayingUpdate, Z},
    {L"SAVER_PLAYERSTOPPED_1", {L"SAVER_SELECTNEXT_1"}, Z, PlayerStoppedUpdate, Z},
    {L"SAVER_OUTRO_1", {}, OutroEnter, Z, Z},
};

void BuildSaverActions(CScrSvrState* saverState) {
  for (const SaverActionEntry& entry : kSaverActions) {
    CScrSvrState* action = saverState->AddNewAction(entry.name);
    if (!action) continue;
    if (wcscmp(entry.name, L"SAVER_OUTRO_1") != 0) action->AddTransition(L"SAVER_OUTRO_1");
    for (const wchar_t* target : entry.transitions)
      if (target) action->AddTransition(target);
    action->SetCallbacks(entry.enter, entry.update, entry.exit);
  }
}
