#include "JackClient.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace zephyl {

namespace {

// The clients of the process, and the lock every call on one of them takes.
std::mutex& ClientsLock() {
  static std::mutex lock;
  return lock;
}
std::vector<JackClient*>& Clients() {
  static std::vector<JackClient*> clients;
  return clients;
}

void CloseLocked(jack_client_t*& client, bool dropped) {
  if (client == nullptr) return;
  // A dropped client has no server to leave: only its own side is let go.
  if (!dropped) jack_deactivate(client);
  jack_client_close(client);
  client = nullptr;
}

}  // namespace

JackClient::JackClient(const std::string& name) {
  std::lock_guard lock(ClientsLock());
  std::vector<JackClient*>& clients = Clients();
  if (std::any_of(clients.begin(), clients.end(),
                  [](const JackClient* c) { return c->m_dropped.load(); })) {
    // One server per process: when it dropped one client, the others are gone as well.
    for (JackClient* client : clients) CloseLocked(client->m_client, true);
  }
  jack_status_t status{};
  m_client = jack_client_open(name.c_str(), JackNoStartServer, &status);
  clients.push_back(this);
}

bool JackClient::With(const std::function<void(jack_client_t*)>& call) {
  std::lock_guard lock(ClientsLock());
  if (m_client == nullptr) return false;
  call(m_client);
  return true;
}

bool JackClient::IsOpen() const {
  std::lock_guard lock(ClientsLock());
  return m_client != nullptr;
}

void JackClient::Close() {
  std::lock_guard lock(ClientsLock());
  CloseLocked(m_client, m_dropped);
  std::erase(Clients(), this);
}

}  // namespace zephyl
