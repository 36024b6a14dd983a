// The MIDI library's threads (the writer and the monitor) against a MIDI system the test scripts.
#include <gtest/gtest.h>

#include <atomic>

#include "CPatchSender.h"
#include "MainLoop.h"
#include "RtMidiLibrary.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

using namespace std::chrono_literals;
constexpr auto kDeadline = 10s;  // real time; nothing here should come near it

struct FakeSystem {
  std::mutex mutex;
  std::atomic<BackendOutput::Result> answer = BackendOutput::Result::Sent;
  std::atomic<bool> blocks = false;  // Send waits until Abort
  std::condition_variable unblocked;
  std::vector<Bytes> sent;
  std::atomic<int> closed = 0;
};

class FakeOutput final : public BackendOutput {
 public:
  explicit FakeOutput(FakeSystem& system) : m_system(system) {}
  ~FakeOutput() override { ++m_system.closed; }
  std::string Name() const override { return "Zephyl:output"; }
  std::string Failure() const override { return {}; }
  Result Send(std::span<const std::uint8_t> message) override {
    std::unique_lock lock(m_system.mutex);
    m_system.unblocked.wait(lock, [this] { return !m_system.blocks || m_aborted; });
    if (m_aborted) return Result::Failed;
    const Result answer = m_system.answer;
    if (answer == Result::Sent) m_system.sent.emplace_back(message.begin(), message.end());
    return answer;
  }
  bool Pending() const override { return false; }
  void Abort() override {
    std::lock_guard lock(m_system.mutex);
    m_aborted = true;
    m_system.unblocked.notify_all();
  }

 private:
  FakeSystem& m_system;
  bool m_aborted = false;
};

class FakeBackend final : public MidiBackend {
 public:
  explicit FakeBackend(FakeSystem& system) : m_system(system) {}
  std::vector<std::string> Ports(bool input) override {
    return input ? std::vector<std::string>{} : std::vector<std::string>{"synth"};
  }
  std::string SystemError() const override { return {}; }
  BackendBudget Budget() const override { return {}; }
  std::unique_ptr<BackendPort> OpenInput(const std::string&, bool, InputQueue&) override {
    return nullptr;
  }
  std::unique_ptr<BackendOutput> OpenOutput(const std::string&) override {
    return std::make_unique<FakeOutput>(m_system);
  }

 private:
  FakeSystem& m_system;
};

class MidiLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_sender.Open(0, kMenuOpenOptions)); }
  // Runs the loop until `done` holds, looking at it every millisecond: not every change posts.
  bool Pump(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      m_loop.RunUntil([] { return false; }, 1ms);
    }
    return true;
  }
  std::vector<Bytes> Sent() {
    std::lock_guard lock(m_system.mutex);
    return m_system.sent;
  }

  FakeSystem m_system;
  MainLoop m_loop;
  RtMidiLibrary m_library{m_loop, MidiApi::Jack,
                          [this](MidiApi, std::function<void()>) -> std::unique_ptr<MidiBackend> {
                            return std::make_unique<FakeBackend>(m_system);
                          },
                          SteadyMidiClock(), Pacing{0ns, 0ns}};
  CPatchSender m_sender{m_library};
};

TEST_F(MidiLibraryTest, ARefusedSendResumesANoteOffOvertakesQueuedDumpsAndResetDropsThem) {
  // Forty dumps in one block: the system takes nothing, the queue fills, the send pauses.
  Bytes dumps;
  for (int i = 0; i < 40; ++i) dumps = Concat({dumps, DumpsOf({i})});
  m_system.answer = BackendOutput::Result::Full;
  m_sender.SendSysEx(dumps);
  ASSERT_TRUE(Pump([&] { return m_sender.IsSending(); }));
  EXPECT_TRUE(m_sender.SendShortMessage(0x80, 64, 64)) << "a note off is never refused";
  m_system.answer = BackendOutput::Result::Sent;
  ASSERT_TRUE(Pump([&] { return m_sender.IsDone(); }));
  const std::vector<Bytes> sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), (Bytes{0x80, 64, 64}));
  Bytes after;
  for (const Bytes& message : std::span(sent).subspan(1))
    after.insert(after.end(), message.begin(), message.end());
  EXPECT_TRUE(after == dumps) << "every byte, in order";

  // Dumps that wait when the output is reset never go, nor does the rest of the block: the
  // newest dump does, after the lane.
  m_system.answer = BackendOutput::Result::Full;
  m_sender.SendSysEx(dumps);
  ASSERT_TRUE(Pump([&] { return m_sender.IsSending(); }));
  m_sender.Reset();
  m_sender.SendShortMessage(0x90, 64, 64);
  m_sender.SendSysEx(DumpsOf({99}));
  m_system.answer = BackendOutput::Result::Sent;
  ASSERT_TRUE(Pump([&] { return m_sender.IsDone(); }));
  const std::vector<Bytes> all = Sent();
  EXPECT_EQ(std::vector<Bytes>(all.begin() + static_cast<std::ptrdiff_t>(sent.size()), all.end()),
            (std::vector<Bytes>{{0x90, 64, 64}, DumpsOf({99})}));
}

TEST_F(MidiLibraryTest, ClosingAnOutputThatIsStuckInTheSystemReturnsAtOnceAndStopsItsWriter) {
  m_system.blocks = true;
  m_sender.SendSysEx(DumpsOf({1}));
  m_sender.Close();  // the writer is inside Send, which waits for nobody but Abort
  ASSERT_TRUE(Pump([&] { return m_system.closed == 1; }));
  EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace zephyl::test
