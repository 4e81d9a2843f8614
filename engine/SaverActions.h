#pragma once
#include "engine/ScrSvrState.h"

// One action of "SAVER_CHILD": its name, the actions its callbacks may switch
// to (after "SAVER_OUTRO_1", which every action but the outro declares first)
// and its three callbacks.
struct SaverActionEntry {
  const wchar_t* name;
  const wchar_t* transitions[3];
  StateCallback enter;
  StateCallback update;
  StateCallback exit;
};

// The twenty actions in the order they are created.
extern const SaverActionEntry kSaverActions[20];

// Creates the twenty actions of the saver state's child machine.
void BuildSaverActions(CScrSvrState* saverState);
