#pragma once

#include <functional>

namespace zephyl {

// Thread-safe; runs `task` later on the thread that runs the rest of the system. The MIDI layer
// hands its notifications to that thread through this, and never calls into it otherwise.
class EventPoster {
 public:
  virtual ~EventPoster() = default;
  virtual void Post(std::function<void()> task) = 0;
};

}  // namespace zephyl
