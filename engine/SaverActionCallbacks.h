#pragma once
// The callbacks of the saver state's actions. Each receives "SAVER_CHILD" and
// switches actions with its SetState.
class CScrSvrMachine;

// Choosing the next item.
int SplashEnter(CScrSvrMachine* owner, int);
int SplashUpdate(CScrSvrMachine* owner, int);
int SplashExit(CScrSvrMachine* owner, int);
int InitEnter(CScrSvrMachine* owner, int);
int SelectNextEnter(CScrSvrMachine* owner, int);
int SelectNextUpdate(CScrSvrMachine* owner, int);
int SelectPlayEnter(CScrSvrMachine* owner, int);

// Loading, playing and watching.
int ClearPictureFlags(CScrSvrMachine* owner, int);
int WatchPlayer(CScrSvrMachine* owner, int);
int AdsLoadingEnter(CScrSvrMachine* owner, int);
int AdsLoadingUpdate(CScrSvrMachine* owner, int);
int AdsPlayingExit(CScrSvrMachine* owner, int);
int VideoLoadingUpdate(CScrSvrMachine* owner, int);
int WebMediaLoadingUpdate(CScrSvrMachine* owner, int);
int WebMediaPlayingEnter(CScrSvrMachine* owner, int);
int WebMediaPlayingUpdate(CScrSvrMachine* owner, int);
int PictureOnlyLoadingEnter(CScrSvrMachine* owner, int);
int PictureOnlyLoadingUpdate(CScrSvrMachine* owner, int);
int PictureOnlyPlayingEnter(CScrSvrMachine* owner, int);
int PictureOnlyPlayingUpdate(CScrSvrMachine* owner, int);
int PictureAudioLoadingEnter(CScrSvrMachine* owner, int);
int PictureAudioLoadingUpdate(CScrSvrMachine* owner, int);
int PictureAudioLoadingExit(CScrSvrMachine* owner, int);
int PictureAudioPlayingEnter(CScrSvrMachine* owner, int);
int PictureAudioPlayingUpdate(CScrSvrMachine* owner, int);
int ClearPictureRender(CScrSvrMachine* owner, int);
int AudioVisualLoadingUpdate(CScrSvrMachine* owner, int);
int AudioVisualPlayingUpdate(CScrSvrMachine* owner, int);
int PlaylistLoadingUpdate(CScrSvrMachine* owner, int);
int PlaylistPlayingUpdate(CScrSvrMachine* owner, int);
int PlayerStoppedUpdate(CScrSvrMachine* owner, int);
int OutroEnter(CScrSvrMachine* owner, int);

// A failed picture run asks the next choice to rest before it tries again.
void HoldNextChoice();
