// The MIDI library's threads (the writer, the monitor, the input queue) against a MIDI system
// the test scripts, on a clock the test moves.
#include <gtest/gtest.h>

#include <thread>

#include "CPatchReceiver.h"
#include "CPatchSender.h"
#include "MainLoop.h"
#include "RtMidiLibrary.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

using namespace std::chrono_literals;
constexpr auto kDeadline = 10s;  // real time; nothing here should come near it

// Time moves only when the test says; waits look at it every real millisecond.
class FakeClock final : public MidiClock {
 public:
  TimePoint Now() const override {
    std::lock_guard lock(m_mutex);
    return m_now;
  }
  void Advance(std::chrono::nanoseconds step) {
    std::lock_guard lock(m_mutex);
    m_now += step;
  }
  bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                 TimePoint deadline, const std::function<bool()>& done) override {
    while (!done()) {
      if (Now() >= deadline) return false;
      wake.wait_for(lock, 1ms);
    }
    return true;
  }

 private:
  mutable std::mutex m_mutex;
  TimePoint m_now;
};

// The MIDI system as the test scripts it: its ports, whether it runs, how its outputs answer.
struct FakeSystem {
  std::mutex mutex;
  std::vector<std::string> inputs, outputs;
  bool running = true;
  BackendOutput::Result answer = BackendOutput::Result::Sent;
  bool blocks = false;  // Send waits until Abort
  std::condition_variable unblocked;
  std::vector<Bytes> sent;
  InputQueue* input = nullptr;
  int closed = 0;
  std::function<void()> changed;  // the library's, as JACK's notifications call it

  void Change(const std::function<void(FakeSystem&)>& change) {
    {
      std::lock_guard lock(mutex);
      change(*this);
    }
    changed();
  }
};

class FakeOutput final : public BackendOutput {
 public:
  explicit FakeOutput(FakeSystem& system) : m_system(system) {}
  ~FakeOutput() override {
    std::lock_guard lock(m_system.mutex);
    ++m_system.closed;
  }
  std::string Name() const override { return "Zephyl:output"; }
  std::string Failure() const override { return {}; }
  Result Send(std::span<const std::uint8_t> message) override {
    std::unique_lock lock(m_system.mutex);
    m_system.unblocked.wait(lock, [this] { return !m_system.blocks || m_aborted; });
    if (m_aborted) return Result::Failed;
    if (m_system.answer == Result::Sent) m_system.sent.emplace_back(message.begin(), message.end());
    return m_system.answer;
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

class FakeInput final : public BackendPort {
 public:
  FakeInput(FakeSystem& system, InputQueue& queue) : m_system(system) {
    std::lock_guard lock(m_system.mutex);
    m_system.input = &queue;
  }
  ~FakeInput() override {
    std::lock_guard lock(m_system.mutex);
    m_system.input = nullptr;
  }
  std::string Name() const override { return "Zephyl:input"; }
  std::string Failure() const override { return {}; }

 private:
  FakeSystem& m_system;
};

class FakeBackend final : public MidiBackend {
 public:
  explicit FakeBackend(FakeSystem& system) : m_system(system) {}
  std::vector<std::string> Ports(bool input) override {
    std::lock_guard lock(m_system.mutex);
    return input ? m_system.inputs : m_system.outputs;
  }
  std::string SystemError() const override {
    std::lock_guard lock(m_system.mutex);
    return m_system.running && !m_stopped ? std::string() : "The server stopped";
  }
  BackendBudget Budget() const override { return {}; }
  std::unique_ptr<BackendPort> OpenInput(const std::string&, bool, InputQueue& queue) override {
    return std::make_unique<FakeInput>(m_system, queue);
  }
  std::unique_ptr<BackendOutput> OpenOutput(const std::string&) override {
    return std::make_unique<FakeOutput>(m_system);
  }
  void Stop() { m_stopped = true; }

 private:
  FakeSystem& m_system;
  std::atomic<bool> m_stopped{false};  // a server that stopped never runs again: a new one does
};

class CountingListener final : public MidiPortsListener {
 public:
  int changes = 0;
  void OnMidiPortsChanged() override { ++changes; }
};

class MidiLibraryTest : public ::testing::Test {
 protected:
  MidiLibraryTest() {
    m_system.inputs = {"keyboard"};
    m_system.outputs = {"synth"};
    m_library.SetPortsListener(&m_ports);
  }
  // Runs the loop, moving the clock ten milliseconds at a time, until `done` holds.
  bool Pump(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      m_clock.Advance(10ms);
      m_loop.RunUntil([] { return false; }, 1ms);
    }
    return true;
  }
  std::vector<Bytes> Sent() {
    std::lock_guard lock(m_system.mutex);
    return m_system.sent;
  }
  void Answer(BackendOutput::Result answer) {
    std::lock_guard lock(m_system.mutex);
    m_system.answer = answer;
  }

  FakeSystem m_system;
  FakeClock m_clock;
  MainLoop m_loop;
  FakeBackend* m_backend = nullptr;  // the one running now
  RtMidiLibrary m_library{
      m_loop, MidiApi::Jack,
      [this](MidiApi, std::function<void()> changed) -> std::unique_ptr<MidiBackend> {
        std::lock_guard lock(m_system.mutex);
        if (!m_system.running) return nullptr;
        m_system.changed = std::move(changed);
        auto backend = std::make_unique<FakeBackend>(m_system);
        m_backend = backend.get();
        return backend;
      },
      m_clock, Pacing{0ns, 0ns}};
  CountingListener m_ports;
  CQuensetDoc m_doc;
};

Bytes Flat(const std::vector<Bytes>& messages) {
  Bytes bytes;
  for (const Bytes& m : messages) bytes.insert(bytes.end(), m.begin(), m.end());
  return bytes;
}

TEST_F(MidiLibraryTest, ARefusedSendResumesANoteOffOvertakesQueuedDumpsAndResetDropsThem) {
  CPatchSender sender(m_library);
  ASSERT_TRUE(sender.Open(0, kMenuOpenOptions));
  // Forty dumps in one block: the system takes nothing, the queue fills, the send pauses.
  Bytes dumps;
  for (int i = 0; i < 40; ++i) dumps = Concat({dumps, DumpsOf({i})});
  Answer(BackendOutput::Result::Full);
  sender.SendSysEx(dumps);
  ASSERT_TRUE(Pump([&] { return sender.IsSending(); }));
  EXPECT_TRUE(sender.SendShortMessage(0x80, 64, 64)) << "a note off is never refused";
  Answer(BackendOutput::Result::Sent);
  ASSERT_TRUE(Pump([&] { return sender.IsDone(); }));
  const std::vector<Bytes> sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), (Bytes{0x80, 64, 64}));
  EXPECT_TRUE(Flat({sent.begin() + 1, sent.end()}) == dumps) << "every byte, in order";

  // Dumps that wait when the output is reset never go, nor does the rest of the block: the
  // newest dump does, after the lane.
  Answer(BackendOutput::Result::Full);
  sender.SendSysEx(dumps);
  ASSERT_TRUE(Pump([&] { return sender.IsSending(); }));
  sender.Reset();
  sender.SendShortMessage(0x90, 64, 64);
  sender.SendSysEx(DumpsOf({99}));
  Answer(BackendOutput::Result::Sent);
  ASSERT_TRUE(Pump([&] { return sender.IsDone(); }));
  const std::vector<Bytes> all = Sent();
  EXPECT_EQ(std::vector<Bytes>(all.begin() + static_cast<std::ptrdiff_t>(sent.size()), all.end()),
            (std::vector<Bytes>{{0x90, 64, 64}, DumpsOf({99})}));
}

TEST_F(MidiLibraryTest, ClosingAnOutputThatIsStuckInTheSystemReturnsAtOnceAndStopsItsWriter) {
  CPatchSender sender(m_library);
  ASSERT_TRUE(sender.Open(0, kMenuOpenOptions));
  {
    std::lock_guard lock(m_system.mutex);
    m_system.blocks = true;
  }
  sender.OnSend(m_doc, 0);
  sender.Close();  // the writer is inside Send, which waits for nobody but Abort
  ASSERT_TRUE(Pump([&] {
    std::lock_guard lock(m_system.mutex);
    return m_system.closed == 1;
  }));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(MidiLibraryTest, PortsThatGoAndComeBackAndAServerThatRestartsAreToldAndUsedAgain) {
  CPatchSender sender(m_library);
  ASSERT_TRUE(sender.Open(0, kMenuOpenOptions));
  const auto told = [&](int changes) { return Pump([&] { return m_ports.changes >= changes; }); };
  ASSERT_TRUE(told(1));  // the first look at the system
  const auto sendsAgain = [&] {
    sender.Close();
    EXPECT_EQ(m_library.GetNumOutDevices(), 1);
    EXPECT_TRUE(sender.Open(0, kMenuOpenOptions));
    sender.OnSend(m_doc, 0);
    return Pump([&] { return sender.IsDone(); }) && !Sent().empty();
  };
  struct Step {
    const char* name;
    std::function<void(FakeSystem&)> change;
    std::string error;  // of the open output afterwards
  };
  const Step steps[] = {
      {"the port goes", [](FakeSystem& s) { s.outputs.clear(); }, "went away"},
      {"it comes back", [](FakeSystem& s) { s.outputs = {"synth"}; }, ""},
      {"the server stops", [&](FakeSystem& s) { s.running = false, m_backend->Stop(); },
       "The server stopped"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    const int changes = m_ports.changes;
    m_system.Change(step.change);
    ASSERT_TRUE(told(changes + 1));
    EXPECT_NE(sender.DeviceError().find(step.error), std::string::npos) << sender.DeviceError();
    if (step.error.empty()) {
      EXPECT_TRUE(sendsAgain());
    }
  }
  EXPECT_EQ(m_library.GetNumOutDevices(), 0);
  // The library looks for the server every second, and works on it once it is back.
  const int changes = m_ports.changes;
  m_system.Change([](FakeSystem& s) { s.running = true, s.sent.clear(); });
  ASSERT_TRUE(told(changes + 1));
  EXPECT_TRUE(sendsAgain());
}

TEST_F(MidiLibraryTest, InputArrivesWholeAroundForeignMessagesFedFromTheSystemsThread) {
  class Counting final : public PatchView {
   public:
    int dumps = 0;
    void InvalidateAll() override { ++dumps; }
  } view;
  CPatchReceiver receiver(m_library);
  ASSERT_TRUE(receiver.Open(0, kMenuOpenOptions));
  receiver.Start();
  receiver.OnReceive(m_doc, view);
  Bytes foreign(100000, 0x05);
  foreign.front() = 0xF0;
  foreign.back() = 0xF7;
  Bytes cut = DumpsOf({1});
  cut.pop_back();
  const Bytes stream = Concat({DumpsOf({1}), foreign, cut, DumpsOf({2, 3})});
  std::thread system([&] {
    // As JACK hands them over: pieces of a period each.
    constexpr std::size_t kPeriod = 4096;
    for (std::size_t at = 0; at < stream.size(); at += kPeriod) {
      std::lock_guard lock(m_system.mutex);
      m_system.input->Feed(std::span(stream).subspan(at, std::min(kPeriod, stream.size() - at)));
      m_system.input->Flush();
    }
  });
  system.join();
  ASSERT_TRUE(Pump([&] { return view.dumps == 3; }));
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(receiver.OversizeMessages(), 1u);
  EXPECT_EQ(receiver.DroppedMessages(), 0u);
}

}  // namespace
}  // namespace zephyl::test
