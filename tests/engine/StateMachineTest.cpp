#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ScrSvrMachine.h"
#include "engine/ScrSvrState.h"

namespace {

std::vector<std::wstring> g_log;

void Log(const std::wstring& what) { g_log.push_back(what); }

// A state that logs every operation the machine calls on it.
class RecordingState : public CScrSvrState {
 public:
  explicit RecordingState(std::wstring tag) : tag_(std::move(tag)) {}
  ~RecordingState() override { Log(tag_ + L".delete"); }
  void Init() override {
    Log(tag_ + L".Init");
    CScrSvrState::Init();
  }
  void Shutdown() override {
    Log(tag_ + L".Shutdown");
    CScrSvrState::Shutdown();
  }
  void Pause() override { Log(tag_ + L".Pause"); }
  void Resume() override { Log(tag_ + L".Resume"); }
  void Enter() override {
    Log(tag_ + L".Enter");
    CScrSvrState::Enter();
  }
  void Update() override {
    Log(tag_ + L".Update");
    CScrSvrState::Update();
  }
  void Exit() override {
    Log(tag_ + L".Exit");
    CScrSvrState::Exit();
  }
  void FrameMove(double, double) override {
    Log(tag_ + L".FrameMove");
    if (switchOnFrameMove) GetOwner()->SetState(L"b");
  }
  bool switchOnFrameMove = false;

 private:
  std::wstring tag_;
};

std::vector<std::wstring> TakeLog() {
  std::vector<std::wstring> out;
  out.swap(g_log);
  return out;
}

using Log_ = std::vector<std::wstring>;

class MachineTest : public testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    machine.SetName(L"top");
    a = new RecordingState(L"a");
    b = new RecordingState(L"b");
    machine.AddState(L"a", a);
    machine.AddState(L"b", b);
  }
  void TearDown() override { machine.Shutdown(); }
  CScrSvrMachine machine;
  RecordingState* a;
  RecordingState* b;
};

}  // namespace

TEST_F(MachineTest, SwitchingOrder) {
  machine.SetState(L"a");
  EXPECT_EQ(TakeLog(), (Log_{L"a.Init", L"a.Enter"}));
  machine.SetState(L"b");
  EXPECT_EQ(TakeLog(), (Log_{L"a.Pause", L"a.Exit", L"b.Init", L"b.Enter"}));
  machine.SetState(L"a");  // initialised: Resume, not Init
  EXPECT_EQ(TakeLog(), (Log_{L"b.Pause", L"b.Exit", L"a.Resume", L"a.Enter"}));
  machine.SetState(L"a");  // the current state again: no Pause or Exit
  EXPECT_EQ(TakeLog(), (Log_{L"a.Resume", L"a.Enter"}));
  EXPECT_TRUE(a->IsActive());
  EXPECT_FALSE(b->IsActive());
}

TEST_F(MachineTest, AFrameMoveThatSwitchesEndsWithTheNewStatesUpdate) {
  machine.SetState(L"a");
  a->switchOnFrameMove = true;
  TakeLog();
  machine.FrameMove(1.0, 0.1);
  EXPECT_EQ(TakeLog(), (Log_{L"a.FrameMove", L"a.Pause", L"a.Exit", L"b.Init", L"b.Enter", L"b.Update"}));
}

TEST_F(MachineTest, UnknownNamesSelectNothing) {
  machine.SetState(L"b");
  TakeLog();
  machine.SetState(L"nobody");
  EXPECT_TRUE(TakeLog().empty());
  EXPECT_EQ(machine.GetCurrentState(), b);
  EXPECT_EQ(machine.GetState(L"nobody"), nullptr);
  EXPECT_EQ(machine.GetState(L"A"), nullptr);  // names are case-sensitive
}

TEST_F(MachineTest, AddStateTwiceUnderOneNameReachesTheSecond) {
  RecordingState* second = new RecordingState(L"a2");
  EXPECT_EQ(machine.AddState(L"a", second), 2);
  EXPECT_EQ(machine.AddState(L"x", nullptr), -1);
  EXPECT_EQ(machine.GetState(L"a"), second);
  EXPECT_EQ(machine.GetStateCount(), 3);
  EXPECT_EQ(a->GetIndex(), 0);
  EXPECT_EQ(second->GetIndex(), 2);
  EXPECT_EQ(second->GetOwner(), &machine);
  EXPECT_EQ(second->Name(), L"a");
  machine.Shutdown();
  // Every state is shut down and deleted, the shadowed one too; none is exited.
  EXPECT_EQ(TakeLog(), (Log_{L"a.Shutdown", L"a.delete", L"b.Shutdown", L"b.delete", L"a2.Shutdown",
                             L"a2.delete"}));
  EXPECT_FALSE(machine.HasCurrentState());
  machine.FrameMove(0, 0);
  machine.FrameRender(0, 0);
  machine.SetState(L"a");
  EXPECT_EQ(machine.GetCurrentState(), nullptr);
  EXPECT_FALSE(machine.QueryFlag());
}

TEST(Machine, EmptyMachineDoesNothing) {
  CScrSvrMachine machine;
  machine.SetState(L"x");
  machine.FrameMove(0, 0);
  machine.Pause();
  machine.Resume();
  EXPECT_FALSE(machine.HandleEvent1(1, 2, 3, 4));
  EXPECT_FALSE(machine.HasCurrentState());
  EXPECT_EQ(machine.GetCurrentState(), nullptr);
  EXPECT_FALSE(machine.CheckTransitions());
  machine.Shutdown();
}

// ---- states with actions -------------------------------------------------

namespace {

CScrSvrMachine* g_child = nullptr;

int StateEnter(CScrSvrMachine*, int) { Log(L"state.enter"); return 0; }
int StateUpdate(CScrSvrMachine*, int) { Log(L"state.update"); return 0; }
int StateExit(CScrSvrMachine*, int) { Log(L"state.exit"); return 0; }
int OneEnter(CScrSvrMachine*, int) { Log(L"one.enter"); return 0; }
int OneUpdate(CScrSvrMachine* owner, int) {
  Log(L"one.update");
  owner->SetState(L"two");
  Log(L"one.update.after");
  return 0;
}
int OneExit(CScrSvrMachine*, int) { Log(L"one.exit"); return 0; }
int TwoEnter(CScrSvrMachine* owner, int) {
  g_child = owner;
  Log(L"two.enter");
  return 0;
}
int TwoUpdate(CScrSvrMachine*, int) { Log(L"two.update"); return 0; }
int TwoExit(CScrSvrMachine*, int) { Log(L"two.exit"); return 0; }

// A state whose Init builds two actions, the first current.
class ScriptedState : public CScrSvrState {
 public:
  void Init() override {
    CScrSvrState::Init();
    SetCallbacks(StateEnter, StateUpdate, StateExit);
    CScrSvrState* one = AddNewAction(L"one");
    one->AddTransition(L"two");
    one->SetCallbacks(OneEnter, OneUpdate, OneExit);
    AddNewAction(L"two")->SetCallbacks(TwoEnter, TwoUpdate, TwoExit);
    GetChildMachine()->SetState(L"one");
  }
};

class ActionTest : public testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    state = new ScriptedState();
    machine.AddState(L"scripted", state);
    state->CreateChildMachine(&machine, L"CHILD");
    machine.AddState(L"other", new CScrSvrState());
  }
  void TearDown() override { machine.Shutdown(); }
  CScrSvrMachine machine;
  ScriptedState* state;
};

}  // namespace

TEST_F(ActionTest, FirstEntryEntersTheFirstActionTwice) {
  machine.SetState(L"scripted");
  EXPECT_EQ(TakeLog(), (Log_{L"one.enter", L"state.enter", L"one.enter"}));
  EXPECT_TRUE(state->IsCurrentAction(L"one"));
  EXPECT_FALSE(state->IsCurrentAction(L"two"));
  EXPECT_EQ(state->GetAction(L"one")->GetTransitionCount(), 1);
}

TEST_F(ActionTest, AnUpdateThatSwitchesRunsTheSwitchInsideIt) {
  machine.SetState(L"scripted");
  TakeLog();
  machine.FrameMove(0, 0);
  EXPECT_EQ(TakeLog(), (Log_{L"state.update", L"one.update", L"one.exit", L"two.enter", L"one.update.after"}));
  EXPECT_EQ(g_child, state->GetChildMachine());
  machine.FrameMove(0, 0);
  EXPECT_EQ(TakeLog(), (Log_{L"state.update", L"two.update"}));
}

TEST_F(ActionTest, ReEnteringKeepsTheCurrentActionAndSkipsInit) {
  machine.SetState(L"scripted");
  machine.FrameMove(0, 0);  // now on "two"
  machine.SetState(L"other");
  EXPECT_EQ(TakeLog().back(), L"two.exit");
  EXPECT_FALSE(state->IsActive());
  machine.SetState(L"scripted");
  EXPECT_EQ(TakeLog(), (Log_{L"state.enter", L"two.enter"}));
  EXPECT_TRUE(state->IsCurrentAction(L"two"));
  EXPECT_EQ(state->GetChildMachine()->GetStateCount(), 2);  // not built again
}

TEST_F(ActionTest, ShutdownRunsNoExitCallbacks) {
  machine.SetState(L"scripted");
  TakeLog();
  machine.Shutdown();
  EXPECT_TRUE(TakeLog().empty());
}

TEST(State, WithoutCallbacksOrChildMachine) {
  CScrSvrState state;
  state.Enter();
  EXPECT_TRUE(state.IsActive());
  state.Update();
  state.Exit();
  EXPECT_FALSE(state.IsActive());
  EXPECT_EQ(state.AddAction(L"x", nullptr), -1);
  CScrSvrState* orphan = state.AddNewAction(L"x");
  EXPECT_EQ(orphan, nullptr);
  EXPECT_EQ(state.GetAction(L"x"), nullptr);
  EXPECT_EQ(state.GetCurrentAction(), nullptr);
  EXPECT_FALSE(state.IsCurrentAction(L"x"));
  state.RequestTopState(L"IntroState");  // no show: nothing happens
}
