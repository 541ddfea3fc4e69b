#include "KIT/IModule/Hosts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "KIT/IModule/Log.h"

namespace {

TEST(HostLookUp, FirstSubstringInTableOrderWins) {
  const struct {
    const char* name;
    int host;
  } cases[] = {
      {"Logic Pro X", kHostLogic},
      {"ZIDEDI64", kHostZidedi},
      {"Ableton Live 9", kHostAbletonLive},
      {"", kHostUnknown},
      {nullptr, kHostUnknown},
      {"Cubase with zidedi inside", kHostCubase},  // cubase is tested first
      {"deliver", kHostAbletonLive},               // "live" inside a longer word
      {"Cakewalk by BandLab", kHostSonar},
      {"PreSonus Studio One", kHostStudioOne},
      {"Digital Performer", kHostDigitalPerformer},
      {"Ardour", kHostArdour},
      {"Some Standalone Runner", kHostStandalone},
      {"com.apple.logic10", kHostLogic},
      {"Reaper", kHostUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(LookUpHost(c.name), c.host) << (c.name ? c.name : "(null)");
}

TEST(HostLookUp, LongNamesAreReadUpTo255Characters) {
  std::string name(300, 'x');
  name.replace(250, 5, "logic");  // within the first 255
  EXPECT_EQ(LookUpHost(name.c_str()), kHostLogic);
  name.replace(250, 5, "xxxxx");
  name.replace(280, 5, "logic");  // beyond them
  EXPECT_EQ(LookUpHost(name.c_str()), kHostUnknown);
}

TEST(HostNames, NamedCodesAndUnknown) {
  const struct {
    int host;
    const char* name;
  } cases[] = {
      {1, "Zidedi"},   {5, "Sonar"},    {6, "Vegas"},
      {7, "FLStudio"}, {12, "Unknown"}, {27, "VST3PluginTestHost"},
      {28, "Ardour"},  {0, "Unknown"},  {10, "Unknown"},
      {19, "Unknown"}, {-1, "Unknown"}, {29, "Unknown"},
  };
  for (const auto& c : cases) {
    char buffer[kHostNameSize];
    EXPECT_STREQ(GetHostNameStr(c.host, buffer), c.name) << c.host;
  }
}

TEST(Versions, TextAndDecimalForms) {
  const struct {
    int32_t word;
    const char* text;
    int decimal;
  } cases[] = {
      {0x10105, "v1.1.5", 10105},
      {0x10100, "v1.1", 10100},
      {0x10000, "v1", 10000},
      {0x20000, "v2", 20000},
      {0x20001, "v2.0.1", 20001},  // a patch level always selects three parts
      {0, "v0", 0},
  };
  for (const auto& c : cases) {
    char buffer[kVersionStrSize];
    EXPECT_STREQ(GetVersionStr(c.word, buffer), c.text);
    EXPECT_EQ(GetDecimalVersion(c.word), c.decimal);
  }
  int major = 0, minor = 0, patch = 0;
  GetVersionParts(0x0A0B0C, &major, &minor, &patch);
  EXPECT_EQ(major, 10);
  EXPECT_EQ(minor, 11);
  EXPECT_EQ(patch, 12);
  EXPECT_EQ(GetDecimalVersion(static_cast<int32_t>(0xFFFF0000u)), 655350000);  // major read unsigned
}

// Runs body with the time zone set to tz and puts the old zone back.
template <class F>
void WithTimeZone(const char* tz, F body) {
  const char* old = getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", tz, 1);
  tzset();
  body();
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST(LogTime, CurrentTimeCarriesTheOffsetFromUtc) {
  const struct {
    const char* tz;
    const char* suffix;
  } cases[] = {
      {"UTC0", "+0000"}, {"XST3:30", "-0330"}, {"YST-5:45", "+0545"}, {"ZST-14", "+1400"}, {"WST12", "-1200"},
  };
  for (const auto& c : cases) {
    WithTimeZone(c.tz, [&] {
      const std::string text = CurrentTime();
      ASSERT_EQ(text.size(), 20u) << text;  // YYYYMMDD HH:MM +hhmm
      EXPECT_EQ(text.substr(15), c.suffix) << c.tz << ": " << text;
      EXPECT_EQ(text[8], ' ');
      EXPECT_EQ(text[11], ':');
      EXPECT_EQ(text[14], ' ');
    });
  }
}

TEST(LogTime, BuildStamp) {
  KIT_String out;
  CompileTimestamp("Dec 09 2026", "08:55:31", &out);
  EXPECT_STREQ(out.Get(), "[Dec09 08:55]");
  EXPECT_STREQ(AppendTimestamp("Jan 31 2027", "23:59:59", "VivivI"), "VivivI [Jan31 23:59]");
  CompileTimestamp(nullptr, nullptr, &out);
  EXPECT_STREQ(out.Get(), "[ ]");
}

TEST(LogTime, TimerFiresOnlyAfterTheInterval) {
  Timer timer;
  EXPECT_FALSE(timer.Every(1000.0));
  const std::clock_t start = std::clock();
  while (std::clock() - start < 2000) {
  }  // burn two milliseconds of processor time
  EXPECT_TRUE(timer.Every(0.001));
  EXPECT_FALSE(timer.Every(1000.0));  // the start mark was taken anew
}

TEST(LogText, WhitespaceAndLowerCase) {
  const struct {
    char c;
    bool white;
  } cases[] = {
      {'\t', true},  {'\n', true},  {'\r', true}, {' ', true},
      {'\v', false}, {'\f', false}, {'a', false}, {0, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWhitespace(c.c), c.white) << static_cast<int>(c.c);
  char lower[16];
  ToLower(lower, "GarageBand 10");
  EXPECT_STREQ(lower, "garageband 10");
  EXPECT_STREQ(AUSelectStr(1), "");
  EXPECT_STREQ(VSTOpcodeStr(1), "");
}

}  // namespace
