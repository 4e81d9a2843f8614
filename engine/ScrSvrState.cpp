#include "engine/ScrSvrState.h"

#include "engine/ScrSvrApp.h"
#include "engine/ScrSvrMachine.h"

int ReturnZero(CScrSvrMachine*, int) { return 0; }

CScrSvrTransition::~CScrSvrTransition() = default;
void CScrSvrTransition::SetName(const std::wstring& target) { target_ = target; }
void CScrSvrTransition::SetFired(bool fired) { fired_ = fired; }
bool CScrSvrTransition::IsFired() { return fired_; }
void CScrSvrTransition::GetName(std::wstring& target) { target = target_; }
void CScrSvrTransition::ReservedTransitionHook() {}

CScrSvrState::CScrSvrState() = default;

// The child machine's actions go with the state; no exit callback runs.
CScrSvrState::~CScrSvrState() {
  if (child_) {
    child_->Shutdown();
    delete child_;
    child_ = nullptr;
  }
  for (CScrSvrTransition* transition : transitions_) delete transition;
  transitions_.clear();
}

void CScrSvrState::Init() { initialised_ = true; }
void CScrSvrState::Shutdown() { initialised_ = false; }
void CScrSvrState::Pause() {}
void CScrSvrState::Resume() {}
void CScrSvrState::Notify() { OnNotify(); }
void CScrSvrState::SetName(const std::wstring& name) { name_ = name; }
void CScrSvrState::GetName(std::wstring& name) { name = name_; }

void CScrSvrState::RequestTopState(const wchar_t* name) {
  CScrSvrApp* app = GetScrSvrApp();
  if (!app || !app->GetMachine()) return;
  app->GetMachine()->SetState(name);
}

bool CScrSvrState::HandleEvent1(int, int, int, int) { return false; }
bool CScrSvrState::HandleEvent2(int, bool, bool, int) { return false; }
bool CScrSvrState::HandleEvent3(int, int, int, int) { return false; }
bool CScrSvrState::QueryFlag() { return false; }
void CScrSvrState::FrameMove(double, double) {}
void CScrSvrState::FrameRender(double, double) {}

void CScrSvrState::CreateChildMachine(CScrSvrMachine* owner, const std::wstring& name) {
  owner_ = owner;
  child_ = new CScrSvrMachine();
  child_->SetName(name);
}

int CScrSvrState::AddAction(const std::wstring& name, CScrSvrState* action) {
  if (!child_ || !action) return -1;
  return child_->AddState(name, action);
}

CScrSvrState* CScrSvrState::AddNewAction(const std::wstring& name) {
  CScrSvrState* action = new CScrSvrState();
  if (AddAction(name, action) < 0) {
    delete action;
    return nullptr;
  }
  return action;
}

CScrSvrState* CScrSvrState::GetCurrentAction() { return child_ ? child_->GetCurrentState() : nullptr; }

CScrSvrState* CScrSvrState::GetAction(const std::wstring& name) { return child_ ? child_->GetState(name) : nullptr; }

bool CScrSvrState::IsCurrentAction(const std::wstring& name) {
  if (!child_) return false;
  CScrSvrState* current = child_->GetCurrentState();
  CScrSvrState* named = child_->GetState(name);
  return current && named && current->index_ == named->index_;
}

int CScrSvrState::AddTransition(const std::wstring& target) {
  CScrSvrTransition* transition = new CScrSvrTransition();
  transitions_.push_back(transition);
  transition->SetName(target);
  return static_cast<int>(transitions_.size()) - 1;
}

int CScrSvrState::GetTransitionCount() { return static_cast<int>(transitions_.size()); }

CScrSvrTransition* CScrSvrState::GetTransition(int position) const {
  if (position < 0 || static_cast<size_t>(position) >= transitions_.size()) return nullptr;
  return transitions_[position];
}

void CScrSvrState::OnFrame(double, double) {}

void CScrSvrState::SetCallbacks(StateCallback enter, StateCallback update, StateCallback exit) {
  enter_ = enter;
  update_ = update;
  exit_ = exit;
}

void CScrSvrState::SetEnterCallback(StateCallback callback) { enter_ = callback; }
void CScrSvrState::SetUpdateCallback(StateCallback callback) { update_ = callback; }
void CScrSvrState::SetExitCallback(StateCallback callback) { exit_ = callback; }
void CScrSvrState::ReservedHook1(int, int) {}
void CScrSvrState::ReservedHook2(int) {}

void CScrSvrState::Enter() {
  active_ = true;
  if (enter_) enter_(owner_, 0);
  if (child_ && child_->GetCurrentState()) child_->GetCurrentState()->Enter();
}

// The action is fetched after the state's own callback, so an action that
// callback switched to is the one updated.
void CScrSvrState::Update() {
  if (update_) update_(owner_, 0);
  if (child_ && child_->GetCurrentState()) child_->GetCurrentState()->Update();
}

void CScrSvrState::Exit() {
  if (exit_) exit_(owner_, 0);
  if (child_ && child_->GetCurrentState()) child_->GetCurrentState()->Exit();
  active_ = false;
}

void CScrSvrState::ReservedHook3() {}
void CScrSvrState::OnNotify() {}
