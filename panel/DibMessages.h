#pragma once

#include <string_view>

namespace zephyl {

// Where a picture reports that it could not be attached, read or written: the editor shows a
// message box, the command-line tool prints to stderr.
class DibMessages {
 public:
  virtual ~DibMessages() = default;
  virtual void Show(std::string_view message) = 0;
};

// For pictures whose failures show otherwise: built in, fuzzed or measured.
class NullDibMessages final : public DibMessages {
 public:
  void Show(std::string_view) override {}
};

}  // namespace zephyl
