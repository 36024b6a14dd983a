#include <gtest/gtest.h>

#include "InputFilter.h"
#include "OutputAssembler.h"
#include "OutputPacer.h"
#include "SendOnEdit.h"

namespace zephyl::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

std::string Hex(std::uint8_t byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

TEST(InputFilterTest, BytesBecomeEventsAndWhatCannotBeTakenInGoesAtOnce) {
  struct Sink final : MidiEventSink {
    std::size_t room;
    std::string seen;  // "F0:33" for a System Exclusive byte, "90 40 40" for a short message
    explicit Sink(std::size_t room) : room(room) {}
    bool Push(const MidiEvent& e) override {
      if (room == 0) return false;
      --room;
      seen += e.status == kSysExStatus
                  ? "F0:" + Hex(e.data1) + ' '
                  : Hex(e.status) + ' ' + Hex(e.data1) + ' ' + Hex(e.data2) + ' ';
      return true;
    }
  };
  struct Case {
    const char* name;
    std::vector<Bytes> chunks;
    std::string events;
    std::uint64_t dropped = 0;
    std::size_t room = 1000;
  };
  // clang-format off
  const Case cases[] = {
      {"short messages, running status; no clock", {{0x90, 64, 100, 65, 0}, {0xC0, 5}, {0xF8, 0xFA}},
       "90 40 64 90 41 00 C0 05 00 FA 00 00 "},
      {"chunks of one message, a clock tick between",
       {{0xF0, 0x01}, {0xF8}, {0x02}, {0x03, 0xF7}}, "F0:F0 F0:01 F0:02 F0:03 F0:F7 "},
      {"no room: a message loses its rest", {{0xF0, 1, 2, 3, 0xF7, 0x90, 64, 64}}, "F0:F0 F0:01 F0:02 ", 2, 3},
  };
  // clang-format on
  for (const Case& c : cases) {
    InputFilter filter(5);
    Sink sink(c.room);
    for (const Bytes& chunk : c.chunks) filter.Feed(chunk, sink);
    EXPECT_EQ(sink.seen, c.events) << c.name;
    EXPECT_EQ(filter.Dropped(), c.dropped) << c.name;
  }
}

TEST(OutputAssemblerTest, SysExGoesWholeOrInChunksAndShortMessagesAtOnce) {
  const auto sysEx = [](std::uint8_t byte) { return MidiEvent{0, kSysExStatus, byte, 0, 0}; };
  const std::pair<std::vector<MidiEvent>, std::vector<std::string>> cases[] = {
      {{sysEx(0xF0), sysEx(1), sysEx(2), sysEx(3), sysEx(4), sysEx(0xF7)},
       {"F0 01 02 03", "04 F7 end"}},
      {{sysEx(0xF0), {0, 0x90, 64, 64, 0}, sysEx(0xF7), {0, 0xC3, 9, 0, 0}, {0, 0xFE, 0, 0, 0}},
       {"90 40 40", "F0 F7 end", "C3 09", "FE"}},
      {{sysEx(0xF0), sysEx(0x01), sysEx(0xF0), sysEx(0xF7)}, {"F0 F7 end"}},
  };
  for (const auto& [events, expected] : cases) {
    OutputAssembler assembler(4);
    std::vector<std::string> messages;
    for (const MidiEvent& event : events) {
      OutputAssembler::Message message;
      if (!assembler.Add(event, message)) continue;
      std::string text;
      for (const std::uint8_t byte : message.bytes) {
        if (!text.empty()) text += ' ';  // not "literal" + string: GCC 12's false -Wrestrict
        text += Hex(byte);
      }
      messages.push_back(text + (message.endsSysEx ? " end" : ""));
    }
    EXPECT_EQ(messages, expected);
    EXPECT_FALSE(assembler.Pending());
  }
}

TEST(OutputPacerTest, MessagesGoNoFasterThanTheWireTheGapAndTheBackendAllow) {
  using TimePoint = OutputPacer::TimePoint;
  constexpr auto kDump = 44480us + 20ms;  // 139 bytes on a DIN cable, and the gap
  struct Case {
    const char* name;
    Pacing pacing;
    BackendBudget budget;
    std::vector<std::pair<std::size_t, bool>> messages;  // size, ends a dump
    std::vector<std::chrono::nanoseconds> starts;        // when each may go
  };
  // clang-format off
  const Case cases[] = {
      {"a DIN cable", {}, {}, {{139, true}, {139, true}, {3, false}, {3, false}},
       {0ns, kDump, 2 * kDump, 2 * kDump + 960us}},
      // Bursts of up to 300 bytes, refilled at 300 per 10 ms: 278 bytes go at once, the third
      // dump waits for 117 more bytes of room, 3.9 ms.
      {"the backend's budget", {0ns, 0ns}, {300, 10ms},
       {{139, true}, {139, true}, {139, true}, {139, true}}, {0ns, 0ns, 3900001ns, 8533334ns}},
  };
  // clang-format on
  for (const Case& c : cases) {
    OutputPacer pacer(c.pacing, c.budget, TimePoint{});
    for (std::size_t i = 0; i < c.messages.size(); ++i) {
      const TimePoint at = pacer.Earliest(c.messages[i].first);
      EXPECT_NEAR(std::chrono::duration<double>(at.time_since_epoch()).count(),
                  std::chrono::duration<double>(c.starts[i]).count(), 1e-6)
          << c.name << " message " << i;
      pacer.Sent(c.messages[i].first, c.messages[i].second, at);
    }
  }
}

TEST(SendOnEditTest, EditsSendAtMostEveryIntervalAndTheLastOneAlways) {
  int sent = 0;
  SendOnEdit edits([&sent] { ++sent; });
  using T = SendOnEdit::TimePoint;
  enum Event { kOn, kOff, kChanged, kFinished, kTick };
  const std::function<void(T)> happen[] = {
      [&](T) { edits.SetOn(true); }, [&](T) { edits.SetOn(false); },
      [&](T now) { edits.Changed(now); }, [&](T now) { edits.Finished(now); },
      [&](T now) { edits.Tick(now); }};
  struct Step {
    Event event;
    int ms;  // when
    int sent;
    std::optional<int> due;  // ms
  };
  // clang-format off
  const Step steps[] = {
      {kChanged, 0, 0, {}},       // off: nothing
      {kOn, 0, 0, {}},
      {kChanged, 10, 1, {}},      // the first change goes at once
      {kChanged, 40, 1, 110}, {kChanged, 70, 1, 110},  // one send waits, for the newest values
      {kTick, 109, 1, 110}, {kTick, 110, 2, {}},
      {kChanged, 150, 2, 210}, {kFinished, 160, 3, {}},  // released: what waits goes now
      {kFinished, 170, 3, {}},    // nothing waits
      {kChanged, 300, 4, {}},     // a click long after: at once
      {kChanged, 310, 4, 400}, {kOff, 320, 4, {}}, {kTick, 400, 4, {}},
  };
  // clang-format on
  for (const Step& step : steps) {
    const T now = T{} + std::chrono::milliseconds(step.ms);
    happen[step.event](now);
    EXPECT_EQ(sent, step.sent) << "at " << step.ms << " ms";
    const auto due = edits.Due();
    EXPECT_EQ(due ? std::optional<int>(static_cast<int>((*due - T{}) / 1ms)) : std::nullopt,
              step.due)
        << "at " << step.ms << " ms";
  }
}

}  // namespace
}  // namespace zephyl::test
