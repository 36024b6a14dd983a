#pragma once

#include <memory>
#include <string>

#include "SpawnedProgram.h"

namespace zephyl::test {

// A private JACK server without audio hardware, under a name no other run uses. Clients of
// this process and of the programs it starts find it through JACK_DEFAULT_SERVER.
class JackServer {
 public:
  explicit JackServer(const std::filesystem::path& folder);
  ~JackServer();

  // Empty when the server answers; else why it does not, with its log.
  const std::string& Failure() const { return m_failure; }
  const std::string& Name() const { return m_name; }
  void Stop();

 private:
  std::string m_name;
  std::string m_failure;
  std::unique_ptr<SpawnedProgram> m_jackd;
};

}  // namespace zephyl::test
