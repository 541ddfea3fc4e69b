// A program of the layer hosting a plug-in's editor view in its dialog, as
// a host finds it: the test plug-in's bundle (ViewTest.bundle) loaded, its
// unit opened through its entry, its view found by the unit's view
// information (bundle location and factory class) and put into the dialog.
// On the test display the editor shows inside the dialog and takes a click
// through the X server; headless its frames are painted into the dialog.
#include <string>
#include <vector>

#include "display_fixture.h"
#include "host/bundle_loader.h"
#include "platform/audiounit/AUCalls.h"
#include "platform/corefoundation/CFString.h"
#include "platform/corefoundation/CFURL.h"
#include "platform/view/ViewPane.h"
#include "platform/window/WindowHostedView.h"

namespace {

// Parameters and controls of the test plug-in (tests/view/view_plug.h).
enum { kViewSync = 2 };
const int kPlugWidth = 300, kPlugHeight = 200;

char kHostDialog[] = "host dialog";
void BuildHostDialog(HWND, int) {}
WINL_DialogResourceIndex g_hostRecord{kHostDialog, "Host", 0x4 | 0x10, BuildHostDialog, 360, 260, nullptr};
long HostDialogProc(HWND, unsigned int msg, unsigned long, long) { return msg == WM_INITDIALOG ? 1 : 0; }

// The test plug-in's unit, opened through the entry of its loaded bundle.
class PluginUnit {
 public:
  PluginUnit() {
    std::string error;
    m_loaded = LoadBundle(VIEW_BUNDLE, &m_component, &error);
    EXPECT_TRUE(m_loaded) << error;
    if (!m_loaded) return;
    EXPECT_EQ(OpenComponentInstance(m_component.entry, &m_component.description, nullptr, &m_unit), noErr);
    uint32_t size = sizeof m_info;
    m_hasInfo = m_unit && AudioUnitGetProperty(m_unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0,
                                               &m_info, &size) == noErr;
  }
  ~PluginUnit() {
    if (m_hasInfo) {
      CFRelease(m_info.mCocoaAUViewBundleLocation);
      CFRelease(m_info.mCocoaAUViewClass[0]);
    }
    if (m_unit) CloseComponentInstance(m_unit);
  }
  bool Ready() const { return m_unit && m_hasInfo; }
  AudioUnit unit() const { return m_unit; }
  AudioUnitCocoaViewInfo* info() { return &m_info; }
  float Parameter(AudioUnitParameterID id) {
    AudioUnitParameterValue value = -1;
    AudioUnitGetParameter(m_unit, id, kAudioUnitScope_Global, 0, &value);
    return value;
  }

 private:
  LoadedComponent m_component;
  bool m_loaded = false, m_hasInfo = false;
  AudioUnit m_unit = nullptr;
  AudioUnitCocoaViewInfo m_info{};
};

using HostedViewTest = XDisplayTest;

// Headless: no display is used, whatever the environment names.
class HostedViewHeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("VIVIVI_VIEW", "headless", 1);
    m_window = new WmWindow(WmRect{0, 0, 360, 260}, kWmTitled);
    m_dialog = WINL_CreateWindowView(nullptr, m_window, reinterpret_cast<DLGPROC>(HostDialogProc), 0);
    ShowWindow(m_dialog, 2);
  }
  void TearDown() override {
    WINL_ShutdownLayer();
    unsetenv("VIVIVI_VIEW");
  }
  WmWindow* m_window = nullptr;
  HWND m_dialog = nullptr;
};

TEST_F(HostedViewTest, AHostedEditorShowsInTheDialogAndTakesAClick) {
  Window xwindow = 0;
  HWND dialog = ShowDialog(&g_hostRecord, reinterpret_cast<DLGPROC>(HostDialogProc), &xwindow);
  ASSERT_NE(dialog, nullptr);
  PluginUnit plugin;
  ASSERT_TRUE(plugin.Ready());
  RECT r{0, 0, 100, 100};
  HWND view = WINL_GetAudioUnitCocoaView(dialog, plugin.unit(), plugin.info(), &r);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(r.right, kPlugWidth);
  EXPECT_EQ(r.bottom, kPlugHeight);
  EXPECT_EQ(GetParent(view), dialog);
  SetWindowPos(view, nullptr, 30, 40, kPlugWidth, kPlugHeight, SWP_NOZORDER);
  auto* hosted = dynamic_cast<WmHostedView*>(WINL_AsView(view));
  ASSERT_NE(hosted, nullptr);
  ViewPane* pane = hosted->pane();

  // The editor's window sits in the dialog's at the view's place.
  ASSERT_TRUE(StepUntil([&] {
    XWindowAttributes attributes;
    return hosted->holderWindow() && XGetWindowAttributes(m_display, hosted->holderWindow(), &attributes) &&
           attributes.map_state == IsViewable && attributes.x == 30 && attributes.y == 40;
  }));
  pane->Synchronize();
  XSync(m_display, False);
  std::vector<uint32_t> editor(static_cast<size_t>(kPlugWidth) * kPlugHeight);
  ASSERT_TRUE(pane->ReadWindow(editor.data(), kPlugWidth));
  XImage* image = XGetImage(m_display, xwindow, 30, 40, kPlugWidth, kPlugHeight, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  int differences = 0;
  for (int y = 0; y < kPlugHeight; ++y)
    for (int x = 0; x < kPlugWidth; ++x) {
      const unsigned long shown = XGetPixel(image, x, y);
      const uint32_t word = editor[static_cast<size_t>(y) * kPlugWidth + x];
      const unsigned long expected = ((word >> 8) & 0xFF) << 16 | ((word >> 16) & 0xFF) << 8 | (word >> 24);
      if ((shown & 0xFFFFFF) != expected) ++differences;
    }
  XDestroyImage(image);
  EXPECT_EQ(differences, 0) << "the dialog shows the editor as it draws itself";

  // A click on the editor's switch through the X server.
  EXPECT_EQ(plugin.Parameter(kViewSync), 0);
  XEvent press{};
  press.xbutton.type = ButtonPress;
  press.xbutton.button = Button1;
  press.xbutton.x = 40;
  press.xbutton.y = 40;
  press.xbutton.same_screen = True;
  Send(pane->NativeWindow(), press);
  XEvent release = press;
  release.xbutton.type = ButtonRelease;
  release.xbutton.state = Button1Mask;
  Send(pane->NativeWindow(), release);
  EXPECT_TRUE(StepUntil([&] { return plugin.Parameter(kViewSync) == 1; })) << "the switch took the click";

  // Closing the dialog takes the editor out again before the unit closes.
  DestroyWindow(dialog);
  WmApplication::Shared().Step(0);
  WmApplication::Shared().DrainPool();
}

TEST_F(HostedViewHeadlessTest, TheEditorsFramesArePaintedIntoTheDialog) {
  WmWindow* window = m_window;
  HWND dialog = m_dialog;
  PluginUnit plugin;
  ASSERT_TRUE(plugin.Ready());
  HWND view = WINL_GetAudioUnitCocoaView(dialog, plugin.unit(), plugin.info(), nullptr);
  ASSERT_NE(view, nullptr);
  SetWindowPos(view, nullptr, 30, 40, kPlugWidth, kPlugHeight, SWP_NOZORDER);
  ViewPane* pane = dynamic_cast<WmHostedView*>(WINL_AsView(view))->pane();
  EXPECT_TRUE(pane->IsHeadless());
  pane->Synchronize();
  window->DisplayAll();
  std::vector<uint32_t> editor(static_cast<size_t>(kPlugWidth) * kPlugHeight);
  ASSERT_TRUE(pane->ReadWindow(editor.data(), kPlugWidth));
  int differences = 0;
  for (int y = 0; y < kPlugHeight; ++y)
    for (int x = 0; x < kPlugWidth; ++x)
      if (window->Pixels()[static_cast<size_t>(y + 40) * 360 + x + 30] !=
          editor[static_cast<size_t>(y) * kPlugWidth + x])
        ++differences;
  EXPECT_EQ(differences, 0);
  DestroyWindow(dialog);
  WmApplication::Shared().DrainPool();
}

TEST_F(HostedViewHeadlessTest, NoViewWithoutItsClassOrBundle) {
  HWND dialog = m_dialog;
  PluginUnit plugin;
  ASSERT_TRUE(plugin.Ready());
  CFStringRef realClass = plugin.info()->mCocoaAUViewClass[0];
  CFURLRef realBundle = plugin.info()->mCocoaAUViewBundleLocation;
  CFStringRef otherClass = CFStringCreateWithCString(nullptr, "NoSuchView", kCFStringEncodingUTF8);
  CFURLRef noBundle = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const uint8_t*>("/nonexistent/X.bundle"), 21, true);
  const struct {
    const char* why;
    CFStringRef className;
    CFURLRef bundle;
  } cases[] = {
      {"a class the bundle exports no factory for", otherClass, realBundle},
      {"no class name", nullptr, realBundle},
      {"no bundle at the location", realClass, noBundle},
  };
  for (const auto& c : cases) {
    AudioUnitCocoaViewInfo info{c.bundle, {c.className}};
    RECT r{1, 2, 3, 4};
    EXPECT_EQ(WINL_GetAudioUnitCocoaView(dialog, plugin.unit(), &info, &r), nullptr) << c.why;
    EXPECT_EQ(r.right, 3) << c.why << ": the rectangle is left alone";
  }
  EXPECT_EQ(WINL_GetAudioUnitCocoaView(dialog, plugin.unit(), nullptr, nullptr), nullptr);
  EXPECT_EQ(WINL_GetAudioUnitCocoaView(nullptr, plugin.unit(), plugin.info(), nullptr), nullptr);
  EXPECT_TRUE(WINL_AsView(dialog)->subviews().empty());
  CFRelease(otherClass);
  CFRelease(noBundle);
}

}  // namespace
