#include "tests/gui/gui_fixture.h"

#include <cmath>

// ---- The plug-in -----------------------------------------------------------

namespace {

std::vector<TestParam> GuiTestParams() {
  std::vector<TestParam> params = CutoffWaveSync();
  params.push_back(TestParam::Text("INIT"));
  params.push_back(TestParam::Double("Plain", 0.0, 0.0, 1.0, 0.001)
                       .Times(GuiTestPlug::kNumParams - GuiTestPlug::kFirstPlain));
  return params;
}

}  // namespace

GuiTestPlug::GuiTestPlug() : HostlessTestPlug({"GUI Test", 0x67747374 /* 'gtst' */}, GuiTestParams()) {}

std::vector<GuiTestPlug::Change> GuiTestPlug::Changes() {
  std::lock_guard<std::mutex> hold(mRecordLock);
  return mChanges;
}

std::vector<std::string> GuiTestPlug::Gestures() {
  std::lock_guard<std::mutex> hold(mRecordLock);
  return mGestures;
}

void GuiTestPlug::ClearRecords() {
  std::lock_guard<std::mutex> hold(mRecordLock);
  mChanges.clear();
  mGestures.clear();
}

void GuiTestPlug::SetParameterFromGUI(int index, double normalizedValue) {
  {
    std::lock_guard<std::mutex> hold(mRecordLock);
    mChanges.push_back({index, normalizedValue, false});
  }
  IModuleBase::SetParameterFromGUI(index, normalizedValue);
}

void GuiTestPlug::SetParameterFromGUI2(int index, double normalizedValue) {
  {
    std::lock_guard<std::mutex> hold(mRecordLock);
    mChanges.push_back({index, normalizedValue, true});
  }
  IModuleBase::SetParameterFromGUI2(index, normalizedValue);
}

void GuiTestPlug::BeginInformHostOfParamChange(int index) {
  std::lock_guard<std::mutex> hold(mRecordLock);
  mGestures.push_back("begin " + std::to_string(index));
}

void GuiTestPlug::EndInformHostOfParamChange(int index) {
  std::lock_guard<std::mutex> hold(mRecordLock);
  mGestures.push_back("end " + std::to_string(index));
}

// ---- Images ------------------------------------------------------------------

namespace {

PIX_pixel Grey(int level, int alpha = 255) { return PIX_MakePixel(level, level, level, alpha); }

PIX_IBitmap* KnobStrip() {
  const int size = 40, frames = 32;
  auto* bm = new PIX_MemBitmap(size, size * frames, 4);
  PIX_Clear(bm, 0);  // transparent around the disc
  for (int f = 0; f < frames; ++f) {
    const float cx = 19.5f, cy = f * size + 19.5f;
    PIX_FillCircle(bm, cx, cy, 17.0f, PIX_MakePixel(60, 64, 72, 255), 1.0f, PIX_BLIT_COPY, true);
    PIX_Circle(bm, cx, cy, 17.0f, PIX_MakePixel(150, 156, 170, 255), 1.0f, PIX_BLIT_COPY, true);
    const float angle = static_cast<float>(-2.4 + 4.8 * f / (frames - 1));
    PIX_FLine(bm, cx + 5.0f * sinf(angle), cy - 5.0f * cosf(angle), cx + 15.0f * sinf(angle),
              cy - 15.0f * cosf(angle), PIX_MakePixel(255, 170, 40, 255), 1.0f, PIX_BLIT_COPY, true);
  }
  return bm;
}

PIX_IBitmap* TwoFrames(int w, int h, PIX_pixel off, PIX_pixel on, bool ring) {
  auto* bm = new PIX_MemBitmap(w, 2 * h, 4);
  PIX_Clear(bm, 0);
  for (int f = 0; f < 2; ++f) {
    const PIX_pixel fill = f ? on : off;
    if (ring) {
      PIX_FillCircle(bm, w / 2.0f - 0.5f, f * h + h / 2.0f - 0.5f, w / 2.0f - 1.5f, fill, 1.0f, PIX_BLIT_COPY,
                     true);
      PIX_Circle(bm, w / 2.0f - 0.5f, f * h + h / 2.0f - 0.5f, w / 2.0f - 1.5f, Grey(220), 1.0f,
                 PIX_BLIT_COPY, true);
    } else {
      PIX_FillRect(bm, 1, f * h + 1, w - 2, h - 2, fill, 1.0f, PIX_BLIT_COPY);
      PIX_DrawRect(bm, 0, f * h, w - 1, h - 1, Grey(200), 1.0f, PIX_BLIT_COPY);
    }
  }
  return bm;
}

PIX_IBitmap* Background() {
  auto* bm = new PIX_MemBitmap(320, 200, 4);
  PIX_GradRect(bm, 0, 0, 320, 200, 0.16f, 0.17f, 0.2f, 1.0f, 0.0002f, 0.0002f, 0.0003f, 0.0f, 0.0006f,
               0.0005f, 0.0004f, 0.0f, PIX_BLIT_COPY);
  for (int x = 0; x < 320; x += 40) PIX_Line(bm, x, 0, x, 199, Grey(70), 0.5f, PIX_BLIT_COPY, false);
  for (int y = 0; y < 200; y += 40) PIX_Line(bm, 0, y, 319, y, Grey(70), 0.5f, PIX_BLIT_COPY, false);
  return bm;
}

PIX_IBitmap* FontStrip() {
  auto* bm = new PIX_MemBitmap(6, 10 * 95, 4);
  for (int f = 1; f <= 95; ++f)
    PIX_FillRect(bm, 0, (f - 1) * 10, 6, 10, PIX_MakePixel(f, 0, 0, 255), 1.0f, 0);
  return bm;
}

PIX_IBitmap* Strip(int w, int h, int frames, bool horizontal) {
  auto* bm = new PIX_MemBitmap(horizontal ? w * frames : w, horizontal ? h : h * frames, 4);
  for (int f = 0; f < frames; ++f) {
    const PIX_pixel colour = PIX_MakePixel(40 * (f + 1), 0, 0, 255);
    if (horizontal)
      PIX_FillRect(bm, f * w, 0, w, h, colour, 1.0f, 0);
    else
      PIX_FillRect(bm, 0, f * h, w, h, colour, 1.0f, 0);
  }
  return bm;
}

}  // namespace

PIX_IBitmap* MakeTestImage(const std::string& name) {
  if (name == "knob.png") return KnobStrip();
  if (name == "switch.png") return TwoFrames(30, 20, Grey(50), PIX_MakePixel(90, 200, 120, 255), false);
  if (name == "radio.png") return TwoFrames(16, 16, Grey(40), PIX_MakePixel(250, 200, 60, 255), true);
  if (name == "handle.png") {
    auto* bm = new PIX_MemBitmap(20, 10, 4);
    PIX_FillRect(bm, 0, 0, 20, 10, Grey(180), 1.0f, PIX_BLIT_COPY);
    PIX_Line(bm, 0, 4, 19, 4, Grey(40), 1.0f, PIX_BLIT_COPY, false);
    return bm;
  }
  if (name == "background.png") return Background();
  if (name == "font.png") return FontStrip();
  if (name == "tall.png") return Strip(10, 25, 4, false);
  if (name == "odd.png") return Strip(101, 11, 1, false);
  if (name == "wide.png") {
    auto* bm = new PIX_MemBitmap(100, 10, 4);
    for (int x = 0; x < 100; ++x) PIX_FillRect(bm, x, 0, 1, 10, PIX_MakePixel(x, 0, 0, 255), 1.0f, 0);
    return bm;
  }
  return nullptr;
}

// ---- The headless GUI --------------------------------------------------------

HeadlessGraphics::HeadlessGraphics(IModuleBase* plug, int width, int height, int fps)
    : IGraphics(plug, width, height, fps) {}

bool HeadlessGraphics::DrawScreen(IRECT* r) {
  screenCopies.push_back(*r);
  return true;
}

PIX_IBitmap* HeadlessGraphics::OSLoadBitmap(int, const char* name) {
  const std::string key = name ? name : "";
  ++loads[key];
  return MakeTestImage(key);
}

IPopupMenu* HeadlessGraphics::CreateIPopupMenu(IPopupMenu* menu, IRECT* r) {
  ReleaseMouseCapture();
  ShownMenu shown{{}, -1, *r, {}, {}};
  for (int i = 0; i < menu->GetNItems(); ++i) {
    shown.items.push_back(menu->GetItemText(i));
    if (menu->IsItemChecked(i)) shown.checked = i;
    if (IPopupMenu* submenu = menu->GetItem(i)->GetSubmenu()) {
      shown.submenus.emplace_back();
      shown.submenuChecked.push_back(-1);
      for (int j = 0; j < submenu->GetNItems(); ++j) {
        shown.submenus.back().push_back(submenu->GetItemText(j));
        if (submenu->IsItemChecked(j)) shown.submenuChecked.back() = j;
      }
    }
  }
  menus.push_back(shown);
  if (choice < 0 || choice >= menu->GetNItems()) return nullptr;
  IPopupMenu* submenu = menu->GetItem(choice)->GetSubmenu();
  // Without a subChoice the opener itself is reported, as a menu without
  // the submenu's walk would.
  if (!submenu || subChoice < 0) {
    menu->SetChosenItemIdx(choice);
    return menu;
  }
  if (subChoice >= submenu->GetNItems()) return nullptr;
  submenu->SetChosenItemIdx(subChoice);
  return submenu;
}

void HeadlessGraphics::CreateTextEntry(IControl* control, IText*, IRECT* r, const char* str, IParam* param) {
  entries.push_back({control, str ? str : "", *r, param});
}

bool HeadlessGraphics::OpenURL(const char* url, const char*, const char*, const char*) {
  urls.push_back(url ? url : "");
  return urlsOpen;
}

// ---- Fixture -----------------------------------------------------------------

void GuiTest::SetUp() {
  gui = new HeadlessGraphics(&plug, 320, 200);
  plug.AttachGraphics(gui);
}

void GuiTest::PushAllValues() {
  for (int i = 0; i < plug.NParams(); ++i)
    gui->SetParameterFromPlug(i, plug.GetParam(i)->GetNormalized(), true);
}

IRECT GuiTest::Tick() {
  IRECT r;
  if (!gui->IsDirty(&r)) return IRECT();
  gui->Draw(&r);
  return r;
}

void GuiTest::DrawAll() {
  IRECT all(0, 0, gui->Width(), gui->Height());
  gui->Draw(&all);
  // A control changed from outside stays dirty one frame more.
  IRECT ignored;
  if (gui->IsDirty(&ignored)) gui->Draw(&all);
  gui->screenCopies.clear();
}

PIX_pixel GuiTest::Pixel(int x, int y) { return PIX_GetPixel(gui->GetDrawBitmap(), x, y); }

std::vector<PIX_pixel> GuiTest::Snapshot() {
  std::vector<PIX_pixel> pixels;
  for (int y = 0; y < gui->Height(); ++y)
    for (int x = 0; x < gui->Width(); ++x) pixels.push_back(Pixel(x, y));
  return pixels;
}

IBitmap GuiTest::Image(const char* name, int frames, bool horizontal, double scale) {
  // One id per name, so that the process-wide cache never mixes two images.
  static std::map<std::string, int> ids;
  const auto found = ids.find(name);
  const int id = found != ids.end() ? found->second : 1000 + static_cast<int>(ids.size());
  ids[name] = id;
  return gui->LoadIBitmap(id, name, scale, frames, horizontal);
}

std::ostream& operator<<(std::ostream& out, const IRECT& r) {
  return out << "(" << r.L << ", " << r.T << ", " << r.R << ", " << r.B << ")";
}

// ---- Error lines -------------------------------------------------------------

namespace {
std::mutex s_errorLock;
std::vector<std::string> s_errors;
}  // namespace

ErrorLines::ErrorLines() { IGraphics::SetErrorLog(Sink); }

ErrorLines::~ErrorLines() { IGraphics::SetErrorLog(nullptr); }

void ErrorLines::Sink(const char* line) {
  std::lock_guard<std::mutex> hold(s_errorLock);
  s_errors.push_back(line);
}

std::vector<std::string> ErrorLines::Take() {
  std::lock_guard<std::mutex> hold(s_errorLock);
  std::vector<std::string> lines;
  lines.swap(s_errors);
  return lines;
}
