#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace zephyl {

// "Send on Edit": while it is on, edits on the panel send the current patch as they happen, at
// most once every kInterval while a knob is dragged, and once more when the edit is over if a
// change is still unsent, so that the instrument ends with what the panel shows. At most one
// send waits, for the newest values. Keeps no clock: the caller says what time it is, and
// calls Tick when Due() says.
class SendOnEdit {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  static constexpr std::chrono::milliseconds kInterval{100};

  explicit SendOnEdit(std::function<void()> send) : m_send(std::move(send)) {}

  bool IsOn() const { return m_on; }
  void SetOn(bool on);
  // A value of the current patch changed on the panel at `now`.
  void Changed(TimePoint now);
  // The drag or click that changed it is over.
  void Finished(TimePoint now);
  // When the send held back is due; nothing when none waits.
  std::optional<TimePoint> Due() const;
  void Tick(TimePoint now);

 private:
  void Send(TimePoint now);

  std::function<void()> m_send;
  bool m_on = false;
  bool m_waiting = false;
  std::optional<TimePoint> m_lastSent;
};

}  // namespace zephyl
