// Mouse and key dispatch: the capture from a press to its release, double
// clicks, the wheel, keys, hover, and the host's gesture notices.
#include "KIT/IModule/ControlLayer.h"
#include "tests/gui/gui_fixture.h"

namespace {

// A control that writes down every event it receives.
class RecordingControl : public IControl {
 public:
  RecordingControl(IModuleBase* plug, IRECT r, int paramIdx, std::vector<std::string>* log, const char* name)
      : IControl(plug, r, paramIdx), mLog(log), mName(name) {}
  void OnMouseDown(int x, int y, IMouseMod*) override { Note("down", x, y); }
  void OnMouseUp(int x, int y, IMouseMod*) override { Note("up", x, y); }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override { Note("drag", dX, dY); }
  void OnMouseDblClick(int x, int y, IMouseMod*) override { Note("dbl", x, y); }
  void OnMouseWheel(int, int, IMouseMod*, int d) override { Note("wheel", d, 0); }
  bool OnKeyDown(int, int, int key) override {
    Note("key", key, 0);
    return takesKeys;
  }
  void OnMouseOver(int x, int y, IMouseMod*) override { Note("over", x, y); }
  void OnMouseOut() override { Note("out", 0, 0); }
  bool takesKeys = true;

 private:
  void Note(const char* what, int a, int b) {
    mLog->push_back(mName + " " + what + " " + std::to_string(a) + "," + std::to_string(b));
  }
  std::vector<std::string>* mLog;
  std::string mName;
};

}  // namespace

class DispatchTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    background = Attach(new RecordingControl(&plug, IRECT(0, 0, 300, 200), -1, &log, "background"));
    knob = Attach(new RecordingControl(&plug, IRECT(10, 10, 50, 50), 7, &log, "knob"));
    button = Attach(new RecordingControl(&plug, IRECT(60, 10, 90, 30), -1, &log, "button"));
  }
  std::vector<std::string> Take() {
    std::vector<std::string> taken;
    taken.swap(log);
    return taken;
  }

  std::vector<std::string> log;
  RecordingControl* background = nullptr;
  RecordingControl* knob = nullptr;
  RecordingControl* button = nullptr;
  IMouseMod left{true};
};

TEST_F(DispatchTest, APressCapturesTheMouseUntilTheRelease) {
  gui->OnMouseDown(20, 20, &left);
  gui->OnMouseDrag(25, 15, &left);
  gui->OnMouseDrag(25, 15, &left);    // no movement: nothing
  gui->OnMouseDrag(200, 150, &left);  // far outside the knob: still the knob
  gui->OnMouseUp(250, 180, &left);    // released over the background
  EXPECT_EQ(Take(), (std::vector<std::string>{"knob down 20,20", "knob drag 5,-5", "knob drag 175,135",
                                              "knob up 250,180"}));
  EXPECT_EQ(plug.Gestures(), (std::vector<std::string>{"begin 7", "end 7"}));
  EXPECT_EQ(gui->GetMouseCapture(), nullptr);
  EXPECT_EQ(gui->GetMouseX(), -1);
  gui->OnMouseDrag(30, 30, &left);
  EXPECT_TRUE(Take().empty()) << "a drag without a capture goes nowhere";
}

TEST_F(DispatchTest, APressOutsideEveryControlHitsTheBackground) {
  gui->OnMouseDown(200, 100, &left);
  gui->OnMouseDrag(201, 100, &left);
  gui->OnMouseUp(201, 100, &left);
  EXPECT_EQ(Take(), (std::vector<std::string>{"background down 200,100", "background drag 1,0",
                                              "background up 201,100"}));
  EXPECT_TRUE(plug.Gestures().empty()) << "no parameter, no gesture";
  gui->OnMouseDown(310, 100, &left);  // beyond the background
  gui->OnMouseUp(310, 100, &left);
  EXPECT_TRUE(Take().empty());
}

TEST_F(DispatchTest, HiddenAndGrayedListedControlsAreSkipped) {
  button->GrayOut(true);
  gui->OnMouseDown(70, 20, &left);
  knob->Hide(true);
  gui->OnMouseDown(20, 20, &left);
  EXPECT_EQ(Take(), (std::vector<std::string>{"background down 70,20", "background down 20,20"}));
}

TEST_F(DispatchTest, DoubleClicks) {
  EXPECT_FALSE(gui->OnMouseDblClick(20, 20, &left));
  EXPECT_EQ(gui->GetMouseCapture(), nullptr);
  // A control that treats a double click as a press takes the capture.
  knob->SetDblAsSingleClick(true);
  EXPECT_TRUE(gui->OnMouseDblClick(21, 21, &left));
  gui->OnMouseDrag(22, 23, &left);
  EXPECT_EQ(Take(), (std::vector<std::string>{"knob dbl 20,20", "knob down 21,21", "knob drag 1,2"}));
  EXPECT_TRUE(plug.Gestures().empty()) << "no host notice on the double-click path";
  EXPECT_FALSE(gui->OnMouseDblClick(310, 10, &left));
}

TEST_F(DispatchTest, TheWheelGoesToTheCaptureElseToTheControlUnderThePointer) {
  gui->OnMouseWheel(70, 20, &left, 2);
  gui->OnMouseDown(20, 20, &left);
  gui->OnMouseWheel(70, 20, &left, -1);
  EXPECT_EQ(Take(), (std::vector<std::string>{"button wheel 2,0", "knob down 20,20", "knob wheel -1,0"}));
}

TEST_F(DispatchTest, KeysGoToTheCaptureThenTheHitThenTheKeyCatcher) {
  std::vector<std::string> catcherLog;
  auto* catcher = new RecordingControl(&plug, IRECT(), -1, &catcherLog, "catcher");
  gui->AttachKeyCatcher(catcher);

  EXPECT_TRUE(gui->OnKeyDown(70, 20, KEY_UPARROW));
  button->takesKeys = false;
  EXPECT_FALSE(gui->OnKeyDown(70, 20, KEY_DOWNARROW));
  gui->OnMouseDown(20, 20, &left);
  EXPECT_TRUE(gui->OnKeyDown(70, 20, KEY_SPACE)) << "the capture takes keys wherever the pointer is";
  gui->OnMouseUp(20, 20, &left);
  EXPECT_EQ(Take(), (std::vector<std::string>{"button key 1,0", "button key 2,0", "knob down 20,20",
                                              "knob key 0,0", "knob up 20,20"}));
  // Outside the background only the key catcher is left.
  EXPECT_TRUE(gui->OnKeyDown(310, 20, KEY_ALPHA_A));
  EXPECT_EQ(catcherLog, (std::vector<std::string>{"catcher key 15,0"}));
}

TEST_F(DispatchTest, KeysWithoutAnyTakerAreNotHandled) {
  EXPECT_FALSE(gui->OnKeyDown(310, 20, KEY_LEFTARROW));
}

TEST_F(DispatchTest, AVisibleLayerTakesEventsBeforeTheControlBelow) {
  auto* layer = new ControlLayer(1, "pop-over");
  std::vector<std::string> layerLog;
  layer->controls.Add(new RecordingControl(&plug, IRECT(0, 0, 40, 40), 9, &layerLog, "over"));
  gui->AttachLayer(layer);
  layer->Hide(false);
  gui->OnMouseDown(20, 20, &left);
  gui->OnMouseWheel(20, 20, &left, 1);
  gui->OnMouseUp(20, 20, &left);
  gui->OnKeyDown(20, 20, KEY_RIGHTARROW);
  EXPECT_EQ(layerLog,
            (std::vector<std::string>{"over down 20,20", "over wheel 1,0", "over up 20,20", "over key 4,0"}));
  EXPECT_TRUE(Take().empty());
  EXPECT_EQ(plug.Gestures(), (std::vector<std::string>{"begin 9", "end 9"}));
}

TEST_F(DispatchTest, HoverIsOffUntilSwitchedOn) {
  EXPECT_FALSE(gui->OnMouseOver(20, 20, &left));
  EXPECT_TRUE(Take().empty());
  gui->SetHandleMouseOver(true);
  EXPECT_TRUE(gui->OnMouseOver(20, 20, &left));
  EXPECT_TRUE(gui->OnMouseOver(70, 20, &left));
  EXPECT_TRUE(gui->OnMouseOver(310, 20, &left));  // nothing there: no "out"
  EXPECT_EQ(Take(), (std::vector<std::string>{"knob over 20,20", "button over 70,20", "knob out 0,0"}));
}

TEST_F(DispatchTest, TheLastClickedParameterIsReadOnce) {
  EXPECT_EQ(gui->GetParamIdxForPTAutomation(20, 20), 7);
  EXPECT_EQ(gui->GetLastClickedParamForPTAutomation(), 7);
  EXPECT_EQ(gui->GetLastClickedParamForPTAutomation(), -1);
  EXPECT_EQ(gui->GetParamIdxForPTAutomation(70, 20), -1);
}
