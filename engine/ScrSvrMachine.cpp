#include "engine/ScrSvrMachine.h"

#include "engine/ScrSvrState.h"
#include "platform/Trace.h"

CScrSvrMachine::CScrSvrMachine() = default;

// The states are not freed here: Shutdown does that.
CScrSvrMachine::~CScrSvrMachine() = default;

void CScrSvrMachine::SetName(const std::wstring& name) {
  name_ = name;
  named_ = true;
}

void CScrSvrMachine::Shutdown() {
  for (CScrSvrState*& state : states_) {
    if (!state) continue;
    state->Shutdown();
    delete state;
    state = nullptr;
  }
  states_.clear();
}

void CScrSvrMachine::Pause() {
  if (HasCurrentState()) states_[current_]->Pause();
  paused_ = true;
}

void CScrSvrMachine::Resume() {
  if (HasCurrentState()) states_[current_]->Resume();
}

int CScrSvrMachine::Lookup(const std::wstring& name) const {
  auto it = names_.find(name);
  return it == names_.end() ? -1 : it->second;
}

// A name that was never added selects nothing: the switch is ignored rather
// than landing on whichever state happens to be first.
void CScrSvrMachine::SetState(const std::wstring& name) {
  int position = Lookup(name);
  if (position < 0) {
    Trace(L"machine %s: no state \"%s\"", name_.c_str(), name.c_str());
    return;
  }
  if (static_cast<unsigned>(position) < states_.size()) {
    if (HasCurrentState() && position != current_ && states_[current_]->IsInitialised()) {
      states_[current_]->Pause();
      states_[current_]->Exit();
    }
    current_ = position;
    Trace(L"%s -> %s", name_.c_str(), name.c_str());
    if (HasCurrentState()) {
      if (states_[current_]->IsInitialised())
        states_[current_]->Resume();
      else
        states_[current_]->Init();
    }
  }
  if (HasCurrentState()) states_[current_]->Enter();
}

int CScrSvrMachine::AddState(const std::wstring& name, CScrSvrState* state) {
  if (!state) return -1;
  state->SetOwner(this);
  states_.push_back(state);
  int position = static_cast<int>(states_.size()) - 1;
  state->SetIndex(position);
  names_[name] = position;
  state->SetName(name);
  return position;
}

bool CScrSvrMachine::HandleEvent1(int a, int b, int c, int d) {
  if (HasCurrentState()) states_[current_]->HandleEvent1(a, b, c, d);
  return false;
}

bool CScrSvrMachine::HandleEvent2(int a, bool b, bool c, int d) {
  if (HasCurrentState()) states_[current_]->HandleEvent2(a, b, c, d);
  return false;
}

bool CScrSvrMachine::HandleEvent3(int a, int b, int c, int d) {
  if (HasCurrentState()) states_[current_]->HandleEvent3(a, b, c, d);
  return false;
}

// A FrameMove that switches the machine is followed by the new state's Update
// in the same step.
void CScrSvrMachine::FrameMove(double time, double elapsed) {
  if (!HasCurrentState()) return;
  states_[current_]->FrameMove(time, elapsed);
  if (HasCurrentState()) states_[current_]->Update();
}

void CScrSvrMachine::FrameRender(double time, double elapsed) {
  if (HasCurrentState()) states_[current_]->FrameRender(time, elapsed);
}

void CScrSvrMachine::DebugPaint() {}

bool CScrSvrMachine::QueryFlag() { return HasCurrentState() ? states_[current_]->QueryFlag() : false; }

void CScrSvrMachine::ClearCurrent() { current_ = -1; }

CScrSvrState* CScrSvrMachine::GetState(const std::wstring& name) {
  int position = Lookup(name);
  if (position < 0 || static_cast<unsigned>(position) >= states_.size()) return nullptr;
  return states_[position];
}

CScrSvrState* CScrSvrMachine::GetCurrentState() { return HasCurrentState() ? states_[current_] : nullptr; }

bool CScrSvrMachine::CheckTransitions() {
  CScrSvrState* state = GetCurrentState();
  if (!state) return false;
  for (int i = 0; i < state->GetTransitionCount(); ++i) {
    CScrSvrTransition* transition = state->GetTransition(i);
    if (transition && transition->IsFired()) {
      std::wstring target;
      transition->GetName(target);
      SetState(target);
      return true;
    }
  }
  return false;
}

bool CScrSvrMachine::HasCurrentState() { return current_ >= 0 && static_cast<size_t>(current_) < states_.size(); }
