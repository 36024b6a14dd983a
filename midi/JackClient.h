#pragma once

#include <jack/jack.h>

#include <atomic>
#include <functional>
#include <string>

namespace zephyl {

// One JACK client of ours. Every client of the process goes through this class for one reason:
// opening a client after the server stopped makes JACK's library close and delete every
// client it still has, under the feet of whoever holds them. So before a client opens, every
// client of a server that stopped is closed here first, and no call reaches a closed client.
class JackClient {
 public:
  // Opens a client named `name` (the server may add a number); IsOpen() is false when no
  // server answers.
  explicit JackClient(const std::string& name);
  ~JackClient() { Close(); }
  JackClient(const JackClient&) = delete;
  JackClient& operator=(const JackClient&) = delete;

  // Runs `call` on the client while it is open, with no client opening or closing meanwhile;
  // false when it is closed.
  bool With(const std::function<void(jack_client_t*)>& call);
  // Deactivates and closes it, once: its callbacks have ended for good when this returns.
  void Close();
  // The server dropped it (it stopped, or found the client too slow); JACK's shutdown
  // notification says so. Closing all clients is then due before the next opens.
  void MarkDropped() { m_dropped = true; }
  bool IsOpen() const;

 private:
  jack_client_t* m_client = nullptr;  // guarded by the lock of all clients
  std::atomic<bool> m_dropped{false};
};

}  // namespace zephyl
