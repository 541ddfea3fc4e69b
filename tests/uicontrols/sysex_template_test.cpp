// SysEx templates of controls: expanding one template into a message per
// value, the second timbre's address shift, the refusals, and the lookup
// key taken from the first message.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "src/ControlActionSysEx.h"

namespace {

using Message = ControlActionSysExMessage::Message;

// A Varno parameter message as the SysEx description holds it: no frame,
// the device place holding 58, the value at byte 7 (counted from 1).
const std::vector<int> kVarnoTemplate = {0x3E, 0x0B, 0x58, 0x41, 0x20, 0x01, 0x00, 0x00};
// A framed template with its value at byte 8.
const std::vector<int> kFramedTemplate = {0xF0, 0x3E, 0x16, 0x00, 0x20, 0x01, 0x05, 0x00, 0xF7};

struct Expansion {
  bool accepted;
  std::vector<Message> messages;
  std::vector<std::string> log;
};

Expansion Expand(const std::vector<int>& base, int changingByte, int count, int start, int instance) {
  Expansion e;
  e.messages = {{0x7E}};  // a sentinel: a refusal must leave it
  e.accepted = expandSysExTemplate(base, changingByte, count, start, instance, &e.messages,
                                   [&](const std::string& line) { e.log.push_back(line); });
  return e;
}

Message With(std::vector<int> base, std::initializer_list<std::pair<int, int>> bytes) {
  for (const auto& b : bytes) base[static_cast<size_t>(b.first)] = b.second;
  return Message(base.begin(), base.end());
}

TEST(SysExTemplate, values_0_to_200_wrap_modulo_128) {
  const Expansion e = Expand(kVarnoTemplate, 7, 201, 0, 0);
  ASSERT_TRUE(e.accepted);
  ASSERT_EQ(e.messages.size(), 201u);
  const int kEntries[][2] = {{0, 0}, {1, 1}, {126, 126}, {127, 127}, {128, 0}, {129, 1}, {200, 72}};
  for (const auto& entry : kEntries)
    EXPECT_EQ(e.messages[static_cast<size_t>(entry[0])][6], entry[1]) << "entry " << entry[0];
  for (size_t k = 0; k < e.messages.size(); ++k) {
    EXPECT_EQ(e.messages[k], With(kVarnoTemplate, {{6, static_cast<int>(k % 128)}})) << "entry " << k;
  }
  EXPECT_TRUE(e.log.empty());
}

TEST(SysExTemplate, the_value_goes_into_the_changing_byte_and_nothing_else_changes) {
  const Expansion e = Expand(kFramedTemplate, 8, 2, 0, 0);
  ASSERT_TRUE(e.accepted);
  ASSERT_EQ(e.messages.size(), 2u);
  EXPECT_EQ(e.messages[0], With(kFramedTemplate, {{7, 0x00}}));
  EXPECT_EQ(e.messages[1], With(kFramedTemplate, {{7, 0x01}}));
  EXPECT_EQ(e.messages[1][8], 0xF7);
}

TEST(SysExTemplate, the_second_timbre_lies_16_addresses_on) {
  const Expansion e = Expand(kFramedTemplate, 8, 2, 0, 1);
  ASSERT_TRUE(e.accepted);
  for (size_t k = 0; k < 2; ++k)
    EXPECT_EQ(e.messages[k], With(kFramedTemplate, {{4, 0x30}, {5, 0x02}, {7, static_cast<int>(k)}})) << k;

  // 0x70 + 16 wraps to 0x00; 0x7F + 1 wraps to 0x00 (every byte stays 7-bit).
  const Expansion wrapped = Expand(With(kVarnoTemplate, {{4, 0x70}, {5, 0x7F}}), 7, 1, 0, 1);
  ASSERT_TRUE(wrapped.accepted);
  EXPECT_EQ(wrapped.messages[0][4], 0x00);
  EXPECT_EQ(wrapped.messages[0][5], 0x00);
}

TEST(SysExTemplate, only_the_second_timbre_is_shifted) {
  for (int instance : {-1, 0, 2, 3}) {
    const Expansion e = Expand(kVarnoTemplate, 7, 1, 5, instance);
    ASSERT_TRUE(e.accepted) << instance;
    EXPECT_EQ(e.messages[0], With(kVarnoTemplate, {{6, 5}})) << instance;
  }
}

TEST(SysExTemplate, a_changing_byte_at_an_address_byte_holds_the_value_not_the_shift) {
  const Expansion e = Expand(kVarnoTemplate, 5, 1, 9, 1);
  ASSERT_TRUE(e.accepted);
  EXPECT_EQ(e.messages[0], With(kVarnoTemplate, {{4, 9}, {5, 0x02}}));
}

TEST(SysExTemplate, counting_runs_through_the_wrap) {
  const struct {
    int start, count;
    std::vector<int> values;
  } kCases[] = {
      {127, 3, {127, 0, 1}},
      {126, 4, {126, 127, 0, 1}},
      {130, 2, {2, 3}},  // a start of 128 or more wraps too
      {255, 2, {127, 0}},
  };
  for (const auto& c : kCases) {
    const Expansion e = Expand(kVarnoTemplate, 7, c.count, c.start, 0);
    ASSERT_TRUE(e.accepted) << c.start;
    std::vector<int> values;
    for (const auto& m : e.messages) values.push_back(m[6]);
    EXPECT_EQ(values, c.values) << "start " << c.start;
  }
}

TEST(SysExTemplate, start_minus_one_keeps_the_template_first_and_counts_from_its_byte) {
  const Expansion e = Expand(With(kVarnoTemplate, {{6, 0x05}}), 7, 3, -1, 1);
  ASSERT_TRUE(e.accepted);
  ASSERT_EQ(e.messages.size(), 3u);
  // The first is the template itself, not shifted for the second timbre.
  EXPECT_EQ(e.messages[0], With(kVarnoTemplate, {{6, 0x05}}));
  EXPECT_EQ(e.messages[1], With(kVarnoTemplate, {{4, 0x30}, {5, 0x02}, {6, 0x05}}));
  EXPECT_EQ(e.messages[2], With(kVarnoTemplate, {{4, 0x30}, {5, 0x02}, {6, 0x06}}));

  // A template byte of 128 or more counts from its 7-bit remainder.
  const Expansion framed = Expand(kFramedTemplate, 9, 2, -1, 0);
  ASSERT_TRUE(framed.accepted);
  EXPECT_EQ(framed.messages[0][8], 0xF7);
  EXPECT_EQ(framed.messages[1][8], 0xF7 % 128);
}

TEST(SysExTemplate, count_zero_gives_no_computed_message) {
  const Expansion counted = Expand(kVarnoTemplate, 7, 0, 0, 0);
  ASSERT_TRUE(counted.accepted);
  EXPECT_TRUE(counted.messages.empty());
  const Expansion templated = Expand(kVarnoTemplate, 7, 0, -1, 0);
  ASSERT_TRUE(templated.accepted);
  ASSERT_EQ(templated.messages.size(), 1u);
  EXPECT_EQ(templated.messages[0], Message(kVarnoTemplate.begin(), kVarnoTemplate.end()));
}

TEST(SysExTemplate, refusals_leave_the_messages_and_say_why) {
  const struct {
    const char* why;
    std::vector<int> base;
    int changingByte, start, instance;
  } kCases[] = {
      {"changing byte 0", kVarnoTemplate, 0, 0, 0},
      {"changing byte past the end", kVarnoTemplate, 9, 0, 0},
      {"negative changing byte", kVarnoTemplate, -1, 0, 0},
      {"empty template", {}, 1, 0, 0},
      {"negative start", kVarnoTemplate, 7, -2, 0},
      {"second timbre of a 5-byte template", {0x3E, 0x0B, 0x58, 0x41, 0x00}, 5, 0, 1},
  };
  for (const auto& c : kCases) {
    const Expansion e = Expand(c.base, c.changingByte, 2, c.start, c.instance);
    EXPECT_FALSE(e.accepted) << c.why;
    ASSERT_EQ(e.messages.size(), 1u) << c.why;
    EXPECT_EQ(e.messages[0], Message{0x7E}) << c.why;
    ASSERT_EQ(e.log.size(), 1u) << c.why;
    EXPECT_EQ(e.log[0].rfind("CONFIG READER: ", 0), 0u) << e.log[0];
  }
}

TEST(SysExTemplate, a_refusal_without_a_log_sink_is_still_refused) {
  std::vector<Message> messages;
  EXPECT_FALSE(expandSysExTemplate(kVarnoTemplate, 12, 2, 0, 0, &messages, UIConfigLog()));
  EXPECT_TRUE(messages.empty());
}

TEST(SysExLookupKey, skips_the_value_byte) {
  unsigned char key[4] = {};
  const Message varno = {0x3E, 0x0B, 0x58, 0x41, 0x20, 0x01, 0x33, 0x00};
  ASSERT_TRUE(sysExLookupKey(varno, 7, key));
  EXPECT_EQ(std::vector<int>(key, key + 4), (std::vector<int>{0x58, 0x41, 0x20, 0x01}));
  ASSERT_TRUE(sysExLookupKey(varno, 8, key));
  EXPECT_EQ(std::vector<int>(key, key + 4), (std::vector<int>{0x41, 0x20, 0x01, 0x33}));
  const Message wide = {0, 0, 0, 0x1F3, 1, 2, 3};
  ASSERT_TRUE(sysExLookupKey(wide, 8, key));
  EXPECT_EQ(key[0], 0xF3);  // cut to the low byte
  EXPECT_FALSE(sysExLookupKey(Message{0x3E, 0x0B, 0x58, 0x41, 0x20, 0x01}, 8, key));
  EXPECT_FALSE(sysExLookupKey(Message{0x3E, 0x0B, 0x58, 0x41, 0x20}, 7, key));
}

}  // namespace
