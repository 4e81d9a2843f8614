#pragma once
#include <string>
#include <vector>

class CScrSvrMachine;

// Enter, update and exit callbacks of states and actions: they receive the
// machine that holds the state (for an action, its state's child machine) and
// switch it by name.
using StateCallback = int (*)(CScrSvrMachine* owner, int value);

// The callback that does nothing but return 0.
int ReturnZero(CScrSvrMachine* owner, int value);

// A declared transition: which action a state's callbacks may switch to.
class CScrSvrTransition {
 public:
  virtual ~CScrSvrTransition();
  virtual void SetName(const std::wstring& target);
  virtual void SetFired(bool fired);
  virtual bool IsFired();
  virtual void GetName(std::wstring& target);
  virtual void ReservedTransitionHook();

 private:
  bool fired_ = false;
  std::wstring target_;
};

// Base of every state of a machine. The top-level states derive from it; every
// action is a plain CScrSvrState in a state's child machine. A state's own
// callback always runs before its current action's.
class CScrSvrState {
 public:
  CScrSvrState();
  virtual ~CScrSvrState();

  virtual void Init();
  virtual void Shutdown();
  virtual void Pause();
  virtual void Resume();
  virtual void Notify();
  virtual void SetName(const std::wstring& name);
  virtual void GetName(std::wstring& name);
  virtual void RequestTopState(const wchar_t* name);
  virtual bool HandleEvent1(int a, int b, int c, int d);
  virtual bool HandleEvent2(int a, bool b, bool c, int d);
  virtual bool HandleEvent3(int a, int b, int c, int d);
  virtual bool QueryFlag();
  virtual void FrameMove(double time, double elapsed);
  virtual void FrameRender(double time, double elapsed);
  virtual void CreateChildMachine(CScrSvrMachine* owner, const std::wstring& name);
  virtual int AddAction(const std::wstring& name, CScrSvrState* action);
  virtual CScrSvrState* GetCurrentAction();
  virtual CScrSvrState* GetAction(const std::wstring& name);
  virtual bool IsCurrentAction(const std::wstring& name);
  virtual int AddTransition(const std::wstring& target);
  virtual int GetTransitionCount();
  virtual void OnFrame(double time, double elapsed);
  virtual void SetCallbacks(StateCallback enter, StateCallback update, StateCallback exit);
  virtual void SetEnterCallback(StateCallback callback);
  virtual void SetUpdateCallback(StateCallback callback);
  virtual void SetExitCallback(StateCallback callback);
  virtual void ReservedHook1(int a, int b);
  virtual void ReservedHook2(int a);
  virtual void Enter();
  virtual void Update();
  virtual void Exit();
  virtual void ReservedHook3();
  virtual void OnNotify();

  // Filing by the owning machine.
  void SetOwner(CScrSvrMachine* owner) { owner_ = owner; }
  void SetIndex(int index) { index_ = index; }
  CScrSvrMachine* GetOwner() const { return owner_; }
  CScrSvrMachine* GetChildMachine() const { return child_; }
  CScrSvrTransition* GetTransition(int position) const;
  int GetIndex() const { return index_; }
  const std::wstring& Name() const { return name_; }
  bool IsInitialised() const { return initialised_; }
  bool IsActive() const { return active_; }

  // Creates a plain action and files it under the name; null (and nothing
  // kept) when the state has no child machine.
  CScrSvrState* AddNewAction(const std::wstring& name);

 protected:
  bool initialised_ = false;
  bool active_ = false;

 private:
  CScrSvrMachine* owner_ = nullptr;
  CScrSvrMachine* child_ = nullptr;
  std::vector<CScrSvrTransition*> transitions_;
  bool spare_ = false;
  int index_ = 0;
  StateCallback enter_ = nullptr;
  StateCallback update_ = nullptr;
  StateCallback exit_ = nullptr;
  std::wstring name_;
};
