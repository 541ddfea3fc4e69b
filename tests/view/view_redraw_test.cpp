// The redraw cycle of the portable view: the timer asks for the dirty area,
// invalid areas are painted by the client, and what the window shows is what
// the client drew.
#include "tests/view/view_fixture.h"

namespace {

using RedrawTest = ViewFixture;

bool FrameEqualsBitmap(HeadlessBackend* backend, PIX_MemBitmap& bitmap) {
  for (int y = 0; y < backend->FrameHeight(); ++y)
    for (int x = 0; x < backend->FrameWidth(); ++x)
      if (backend->FramePixel(x, y) != bitmap.getBits()[y * bitmap.getRowSpan() + x]) {
        ADD_FAILURE() << "first difference at " << x << ", " << y << ": window " << std::hex
                      << backend->FramePixel(x, y) << ", bitmap "
                      << bitmap.getBits()[y * bitmap.getRowSpan() + x];
        return false;
      }
  return true;
}

TEST_F(RedrawTest, ANewWindowIsPaintedWhole) {
  Run();
  ASSERT_EQ(m_client.draws.size(), 1u);
  EXPECT_EQ(m_client.draws[0], ViewRect(0, 0, kWidth, kHeight));
  EXPECT_TRUE(m_client.presented);
  EXPECT_TRUE(FrameEqualsBitmap(m_backend, m_client.Bitmap()));
}

TEST_F(RedrawTest, AnIdleTickPaintsNothing) {
  Run();
  const int puts = m_backend->PutCount();
  m_backend->Tick();
  Run();
  m_view->Tick();
  m_view->Paint();
  EXPECT_EQ(m_client.draws.size(), 1u);
  EXPECT_EQ(m_backend->PutCount(), puts);
}

TEST_F(RedrawTest, TheDirtyAreaWidenedByOnePixelIsPaintedAndShown) {
  Run();
  m_client.dirty = ViewRect(10, 20, 30, 40);
  m_client.paintColour = 0x11223344;
  m_backend->Tick();
  Run();
  ASSERT_EQ(m_client.draws.size(), 2u);
  // The area covers the rectangle's right column and bottom row as well.
  EXPECT_EQ(m_client.draws[1], ViewRect(10, 20, 31, 41));
  EXPECT_EQ(m_backend->LastPutArea(), ViewRect(10, 20, 31, 41));
  EXPECT_EQ(m_backend->FramePixel(30, 40), 0x11223344u);
  EXPECT_EQ(m_backend->FramePixel(31, 40), 0x336699ffu);  // from the first paint
  EXPECT_TRUE(FrameEqualsBitmap(m_backend, m_client.Bitmap()));
}

TEST_F(RedrawTest, ADirtyAreaBeyondTheWindowIsCutToIt) {
  Run();
  m_client.dirty = ViewRect(kWidth - 5, kHeight - 5, kWidth + 50, kHeight + 50);
  m_view->Tick();
  EXPECT_EQ(m_view->InvalidArea(), ViewRect(kWidth - 5, kHeight - 5, kWidth, kHeight));
}

TEST_F(RedrawTest, OutsideAPaintThereIsNothingToDrawOn) {
  const uint32_t pixel = 0;
  EXPECT_FALSE(m_view->PresentFrame(&pixel, 1, 1, 1));
  EXPECT_EQ(m_backend->PutCount(), 0);
}

TEST_F(RedrawTest, ExposedAreasAreRepainted) {
  Run();
  ViewEvent expose;
  expose.kind = ViewEvent::kExpose;
  expose.x = 5, expose.y = 6, expose.width = 7, expose.height = 8;
  m_backend->Queue(expose);
  Run();
  ASSERT_EQ(m_client.draws.size(), 2u);
  EXPECT_EQ(m_client.draws[1], ViewRect(5, 6, 12, 14));
}

TEST_F(RedrawTest, ResizeRepaintsTheNewWindowWhole) {
  Run();
  m_view->Resize(150, 90);
  EXPECT_EQ(m_backend->FrameWidth(), 150);
  EXPECT_EQ(m_view->InvalidArea(), ViewRect(0, 0, 150, 90));
}

TEST_F(RedrawTest, TheHeadlessTimerFiresOnlyWhenTold) {
  m_view->StartTimer();
  EXPECT_EQ(m_view->MillisecondsToNextTick(), -1);
  m_client.dirty = ViewRect(0, 0, 5, 5);
  Run();
  EXPECT_EQ(m_client.draws.size(), 1u);  // the first whole paint only
  m_view->Synchronize();                 // one firing now
  EXPECT_EQ(m_client.draws.size(), 2u);
}

TEST_F(RedrawTest, TheDrawBitmapAndTheWindowCanBeReadBack) {
  Run();
  std::vector<uint32_t> window(kWidth * kHeight), bitmap(kWidth * kHeight);
  ASSERT_TRUE(m_view->ReadWindow(window.data(), kWidth));
  ASSERT_TRUE(m_view->ReadDrawBitmap(bitmap.data(), kWidth));
  EXPECT_EQ(window[0], 0x336699ffu);
  EXPECT_EQ(bitmap, window);
  EXPECT_FALSE(m_view->ReadWindow(window.data(), kWidth - 1));  // rows too short
}

TEST_F(RedrawTest, AViewPlacedByTheHostLivesUntilTheHostRemovesIt) {
  m_backend->Click(1, 1);
  m_view->AddToParent(0x1234);
  EXPECT_TRUE(m_backend->Shown());
  EXPECT_EQ(m_backend->Parent(), 0x1234u);
  struct Removal : RecordingClient {
    using RecordingClient::RecordingClient;
    int removed = 0;
    void OnRemovedFromParent() override { ++removed; }
  } client(kWidth, kHeight);
  client.view = m_view;
  m_view->SetClient(&client);
  m_view->Retain();  // the test's own hold, so the view can be looked at after removal
  m_view->RemoveFromParent();
  m_view->RemoveFromParent();  // a second removal does nothing
  EXPECT_EQ(client.removed, 1);
  EXPECT_FALSE(m_backend->Shown());
  m_view->Release();
}

}  // namespace
