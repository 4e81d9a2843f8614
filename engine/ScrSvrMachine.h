#pragma once
#include <map>
#include <string>
#include <vector>

class CScrSvrState;

// A named state machine that switches between the states it holds by name.
// The top machine's states are the show's states; a state's child machine
// holds its actions. The machine owns its states from AddState on, but only
// Shutdown frees them: owners call Shutdown before deleting a machine.
class CScrSvrMachine {
 public:
  CScrSvrMachine();
  virtual ~CScrSvrMachine();

  virtual void SetName(const std::wstring& name);
  virtual void Shutdown();
  virtual void Pause();
  virtual void Resume();
  virtual void SetState(const std::wstring& name);
  virtual int AddState(const std::wstring& name, CScrSvrState* state);
  virtual bool HandleEvent1(int a, int b, int c, int d);
  virtual bool HandleEvent2(int a, bool b, bool c, int d);
  virtual bool HandleEvent3(int a, int b, int c, int d);
  virtual void FrameMove(double time, double elapsed);
  virtual void FrameRender(double time, double elapsed);
  virtual void DebugPaint();
  virtual bool QueryFlag();
  virtual void ClearCurrent();
  virtual CScrSvrState* GetState(const std::wstring& name);
  virtual CScrSvrState* GetCurrentState();
  virtual bool CheckTransitions();
  virtual bool HasCurrentState();

  const std::wstring& GetName() const { return name_; }
  int GetCurrentIndex() const { return current_; }
  int GetStateCount() const { return static_cast<int>(states_.size()); }

 private:
  // Position filed under the name, or -1 for a name never added.
  int Lookup(const std::wstring& name) const;

  int current_ = -1;
  bool named_ = false;
  bool paused_ = false;
  bool spare_ = false;
  std::wstring name_;
  std::map<std::wstring, int> names_;
  std::vector<CScrSvrState*> states_;
};
