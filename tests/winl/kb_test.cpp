// Keys, characters and cursors.
#include <cstring>
#include <vector>

#include "KIT/winl/winl-kb.h"
#include "tests/support/temp_folder.h"
#include "wnd_fixture.h"

namespace {
WmKeyEvent Key(int code, const char32_t* chars, uint32_t modifiers = 0, const char32_t* typed = nullptr) {
  WmKeyEvent e;
  e.keyCode = code;
  e.charactersIgnoringModifiers = chars;
  e.characters = typed ? typed : chars;
  e.modifiers = modifiers;
  return e;
}
}  // namespace

class KeyTest : public WndTest {};

TEST_F(KeyTest, KeysAndCharactersToVirtualKeys) {
  WINL_EnableRightClickEmulate(false);
  const struct {
    const char* why;
    WmKeyEvent event;
    int key, flags;
  } kCases[] = {
      {"keypad enter", Key(76, U"\x03"), 0x800D, FVIRTKEY},
      {"return through its character", Key(36, U"\r"), 13, FVIRTKEY},
      {"command A", Key(0, U"a", kWmCommand), 'A', FCONTROL | FVIRTKEY},
      {"punctuation loses shift and the virtual flag", Key(18, U"!", kWmShift), '!', 0},
      {"shift tab", Key(48, U"\x19", kWmShift), 9, FSHIFT | FVIRTKEY},
      {"left arrow", Key(123, U"\xF702"), 0x25, FVIRTKEY},
      {"F1", Key(122, U""), 0x70, FVIRTKEY},
      {"keypad 7", Key(89, U"7"), 0x67, FVIRTKEY},
      {"keypad 8 skips code 90", Key(91, U"8"), 0x68, FVIRTKEY},
      {"option and control", Key(0, U"x", kWmOption | kWmControl), 'X', FALT | FLWIN | FVIRTKEY},
      {"no characters: the code above 1024", Key(10, U""), 1034, FVIRTKEY},
      {"code 90 has no entry", Key(90, U""), 1114, FVIRTKEY},
  };
  for (const auto& c : kCases) {
    int flags = -1;
    EXPECT_EQ(WINL_MacKeyToWindowsKey(&c.event, &flags), c.key) << c.why;
    EXPECT_EQ(flags, c.flags) << c.why;
  }
  int flags = -1;
  EXPECT_EQ(WINL_MacKeyToWindowsKey(nullptr, &flags), 0);
  WINL_EnableRightClickEmulate(true);
  const WmKeyEvent control = Key(0, U"x", kWmControl);
  EXPECT_EQ(WINL_MacKeyToWindowsKey(&control, &flags), 'X');
  EXPECT_EQ(flags, FVIRTKEY) << "the control key clicks right while emulation is on";
  const WmKeyEvent typed = Key(0, U"a", kWmOption, U"\xE5");
  EXPECT_EQ(WINL_MacKeyToWindowsKeyEx(&typed, &flags, 1), 0xE5) << "mode 1 takes the typed character";
}

TEST_F(KeyTest, ShiftedDigits) {
  const char kShifted[] = ")!@#$%^&*(";
  for (int digit = 0; digit < 10; ++digit) {
    int flags = 5;
    EXPECT_EQ(WINL_KeyToASCII(0x30 + digit, FSHIFT | FVIRTKEY, &flags), kShifted[digit]) << digit;
    EXPECT_EQ(flags, 0);
  }
  int flags = 4;
  EXPECT_EQ(WINL_KeyToASCII(0x32, FSHIFT, &flags), 0);
  EXPECT_EQ(flags, 4);
  EXPECT_EQ(WINL_KeyToASCII(0x41, FSHIFT | FVIRTKEY, &flags), 0);
}

TEST_F(KeyTest, AsyncKeyState) {
  WmApplication& app = WmApplication::Shared();
  app.pressedMouseButtons = 2;
  app.modifierFlags = kWmShift | kWmControl;
  WINL_EnableRightClickEmulate(true);
  EXPECT_EQ(GetAsyncKeyState(2), 0x8000);
  EXPECT_EQ(GetAsyncKeyState(1), 0);
  EXPECT_EQ(GetAsyncKeyState(0x10), 0x8000);
  EXPECT_EQ(GetAsyncKeyState(0x5B), 0);
  WINL_EnableRightClickEmulate(false);
  EXPECT_EQ(GetAsyncKeyState(0x5B), 0x8000);
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
  WINL_EnableRightClickEmulate(true);
}

TEST_F(KeyTest, ShowCounterAndRelativeMode) {
  WmApplication::Shared().mouseLocation = WmPoint{100.7, 200.2};
  EXPECT_EQ(WINL_ShowCursor(false), -1);
  EXPECT_FALSE(WINL_IsCursorVisible());
  WINL_RelativeMouseMoved(5, 3);
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 105);
  EXPECT_EQ(p.y, 198) << "the virtual position: x floored, y rounded up, then moved";
  EXPECT_EQ(WINL_ShowCursor(false), -2);
  EXPECT_EQ(WINL_ShowCursor(true), -1);
  EXPECT_FALSE(WINL_IsCursorVisible()) << "two hides and one show";
  EXPECT_EQ(WINL_ShowCursor(true), 0);
  EXPECT_TRUE(WINL_IsCursorVisible());
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 105) << "the cursor comes back at the virtual position";
  EXPECT_EQ(GetMessagePos(), (static_cast<long>(p.y) << 16) | p.x);
}

TEST_F(KeyTest, StandardCursors) {
  EXPECT_EQ(WINL_LoadCursor(reinterpret_cast<const char*>(-1003)), nullptr);
  HCURSOR move = WINL_LoadCursor(reinterpret_cast<const char*>(-1002));
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(move->width, 16);
  EXPECT_EQ(move->hotX, 8);
  EXPECT_EQ(WINL_LoadCursor(reinterpret_cast<const char*>(-1002)), move) << "built once";
  HCURSOR a = WINL_LoadCursor(reinterpret_cast<const char*>(-1006));
  HCURSOR b = WINL_LoadCursor(reinterpret_cast<const char*>(-1007));
  ASSERT_TRUE(a && b);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(a->pixels[static_cast<size_t>(y * 16 + x)], b->pixels[static_cast<size_t>(y * 16 + 15 - x)])
          << x << "," << y;
  WINL_SetCursor(a);
  EXPECT_EQ(WINL_GetLastSetCursor(), a);
  WINL_SetCursor(nullptr);
  EXPECT_EQ(WINL_GetLastSetCursor(), nullptr);
  EXPECT_EQ(WINL_GetCursor(), nullptr) << "the arrow";
}

namespace {
void Put16(std::vector<uint8_t>* v, uint32_t x) {
  v->push_back(static_cast<uint8_t>(x));
  v->push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>* v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
// A 2 x 2 cursor file with a 1-bit image and mask, hot spot (1, 0): the top
// row black and transparent white, the bottom row white and black.
std::vector<uint8_t> CursorFile() {
  std::vector<uint8_t> f;
  Put16(&f, 0), Put16(&f, 2), Put16(&f, 1);
  f.push_back(2), f.push_back(2), f.push_back(2), f.push_back(0);
  Put16(&f, 1), Put16(&f, 0);
  const uint32_t dibSize = 40 + 8 + 8 + 8;
  Put32(&f, dibSize), Put32(&f, 22);
  Put32(&f, 40), Put32(&f, 2), Put32(&f, 4), Put16(&f, 1), Put16(&f, 1);
  for (int i = 0; i < 6; ++i) Put32(&f, 0);
  Put32(&f, 0x000000), Put32(&f, 0xFFFFFF);  // palette
  // Image rows bottom up: bottom row white, black; top row black, white.
  Put32(&f, 0x00000080), Put32(&f, 0x00000040);
  // Mask rows bottom up: bottom row opaque; top row second pixel clear.
  Put32(&f, 0x00000000), Put32(&f, 0x00000040);
  return f;
}
}  // namespace

TEST_F(KeyTest, CursorFilesAreDecodedInMemory) {
  const std::vector<uint8_t> file = CursorFile();
  WmCursor cursor;
  ASSERT_TRUE(WINL_DecodeCursorFile(file.data(), file.size(), &cursor));
  EXPECT_EQ(cursor.width, 2);
  EXPECT_EQ(cursor.height, 2);
  EXPECT_EQ(cursor.hotX, 1);
  EXPECT_EQ(cursor.hotY, 0);
  auto alpha = [&](int x, int y) { return cursor.pixels[static_cast<size_t>(y * 2 + x)] & 0xFF; };
  auto red = [&](int x, int y) { return (cursor.pixels[static_cast<size_t>(y * 2 + x)] >> 8) & 0xFF; };
  EXPECT_EQ(red(0, 0), 0u);
  EXPECT_EQ(alpha(1, 0), 0u) << "masked";
  EXPECT_EQ(red(0, 1), 255u);
  EXPECT_EQ(alpha(0, 1), 255u);
  EXPECT_EQ(red(1, 1), 0u);
}

TEST_F(KeyTest, MalformedCursorFilesAreRefused) {
  const std::vector<uint8_t> good = CursorFile();
  struct Case {
    const char* why;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"header only", std::vector<uint8_t>(good.begin(), good.begin() + 6)});
  std::vector<uint8_t> icon = good;
  icon[2] = 1;
  cases.push_back({"an icon, not a cursor", icon});
  std::vector<uint8_t> two = good;
  two[4] = 2;
  cases.push_back({"two images", two});
  std::vector<uint8_t> reserved = good;
  reserved[9] = 1;
  cases.push_back({"reserved byte set", reserved});
  std::vector<uint8_t> offset = good;
  offset[18] = 0xFF;
  cases.push_back({"image offset past the end", offset});
  std::vector<uint8_t> truncated(good.begin(), good.end() - 12);
  cases.push_back({"image rows cut short", truncated});
  std::vector<uint8_t> huge = good;
  huge[22 + 4] = 0xFF, huge[22 + 5] = 0xFF;
  cases.push_back({"width beyond the data", huge});
  for (const Case& c : cases) {
    WmCursor cursor;
    EXPECT_FALSE(WINL_DecodeCursorFile(c.bytes.data(), c.bytes.size(), &cursor)) << c.why;
  }
}

TEST_F(KeyTest, CursorFromAFileLeavesNoTemporaryFiles) {
  TempFolder temp("winl-cursor-");
  ASSERT_TRUE(temp.Made());
  const std::string folder = temp.Name();
  const std::string path = folder + "/hand.CUR";
  const std::vector<uint8_t> file = CursorFile();
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fwrite(file.data(), 1, file.size(), f);
  fclose(f);
  HCURSOR cursor = WINL_LoadCursorFromFile(path.c_str());
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(cursor->hotX, 1);
  delete cursor;
  EXPECT_EQ(WINL_LoadCursorFromFile((folder + "/none.cur").c_str()), nullptr);
  remove(path.c_str());
  EXPECT_EQ(rmdir(folder.c_str()), 0) << "nothing else was written beside it";
}
