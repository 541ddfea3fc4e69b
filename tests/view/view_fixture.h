// A view on the headless back end with a client that records every call
// and draws a pattern into its own draw bitmap.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-rect.h"
#include "platform/view/HeadlessBackend.h"
#include "platform/view/View.h"

// One call the view made on its client.
struct ClientCall {
  std::string what;  // "down", "up", "drag", "dbl", "over", "wheel", "key", "commit"
  int x = 0, y = 0;
  ViewMouseMod mod;
  int value = 0;  // wheel delta or key code
  std::string text;
};

class RecordingClient : public ViewClient {
 public:
  RecordingClient(int width, int height) : m_bitmap(width, height, 0) {}

  View* view = nullptr;
  std::vector<ClientCall> calls;
  std::vector<ViewRect> draws;
  ViewRect dirty;          // what IsDirty answers while not empty
  bool keysUsed = true;    // what OnKeyDown answers
  bool presented = false;  // PresentFrame's answer in the last Draw
  uint32_t paintColour = 0x336699ff;
  // Runs inside OnMouseDown (a control opening a menu or a text entry).
  std::function<void(int x, int y)> onMouseDown;

  bool IsDirty(ViewRect* r) override {
    if (dirty.Empty()) return false;
    *r = dirty;
    return true;
  }
  void Draw(const ViewRect& r) override {
    draws.push_back(r);
    PIX_FillRect(&m_bitmap, r.L, r.T, r.W(), r.H(), paintColour, 1.0f, 0);
    presented = view->PresentFrame(m_bitmap.getBits(), m_bitmap.getRowSpan(), m_bitmap.getWidth(),
                                   m_bitmap.getHeight());
  }
  void OnMouseDown(int x, int y, const ViewMouseMod& m) override {
    Record("down", x, y, m);
    if (onMouseDown) onMouseDown(x, y);
  }
  void OnMouseUp(int x, int y, const ViewMouseMod& m) override { Record("up", x, y, m); }
  void OnMouseDrag(int x, int y, const ViewMouseMod& m) override { Record("drag", x, y, m); }
  void OnMouseDblClick(int x, int y, const ViewMouseMod& m) override { Record("dbl", x, y, m); }
  void OnMouseOver(int x, int y, const ViewMouseMod& m) override { Record("over", x, y, m); }
  void OnMouseWheel(int x, int y, const ViewMouseMod& m, int d) override { Record("wheel", x, y, m, d); }
  bool OnKeyDown(int x, int y, int key) override {
    Record("key", x, y, ViewMouseMod(), key);
    return keysUsed;
  }
  void OnTextEntryCommit(const char* text) override {
    ClientCall c;
    c.what = "commit";
    c.text = text;
    calls.push_back(c);
  }
  bool GetDrawBitmap(const uint32_t** pixels, int* rowSpan, int* width, int* height) override {
    *pixels = m_bitmap.getBits();
    *rowSpan = m_bitmap.getRowSpan();
    *width = m_bitmap.getWidth();
    *height = m_bitmap.getHeight();
    return true;
  }
  PIX_MemBitmap& Bitmap() { return m_bitmap; }

  // The calls as "what x,y" texts, for whole-sequence comparisons.
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const ClientCall& c : calls) out.push_back(c.what);
    return out;
  }

 private:
  void Record(const char* what, int x, int y, const ViewMouseMod& m, int value = 0) {
    ClientCall c;
    c.what = what;
    c.x = x, c.y = y, c.mod = m, c.value = value;
    calls.push_back(c);
  }
  PIX_MemBitmap m_bitmap;
};

class ViewFixture : public ::testing::Test {
 protected:
  static constexpr int kWidth = 200, kHeight = 120;

  void SetUp() override {
    m_backend = new HeadlessBackend(800, 600);
    m_view = new View(std::unique_ptr<ViewBackend>(m_backend), kWidth, kHeight, 25);
    m_client.view = m_view;
    m_view->SetClient(&m_client);
    ASSERT_TRUE(m_view->Open(0));
  }
  void TearDown() override { m_view->Release(); }

  // Runs the script queued so far.
  void Run() { m_view->RunPending(); }

  HeadlessBackend* m_backend = nullptr;
  View* m_view = nullptr;
  RecordingClient m_client{kWidth, kHeight};
};
