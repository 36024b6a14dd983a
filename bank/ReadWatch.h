#pragma once

#include <functional>
#include <stdexcept>

namespace zephyl {

// Called while reading waits for a stream or runs on through a long file, so that the caller
// can keep its window alive; returning false gives the read up, which then throws ReadCancelled.
using ReadWatch = std::function<bool()>;

class ReadCancelled : public std::runtime_error {
 public:
  ReadCancelled() : std::runtime_error("Reading was cancelled") {}
};

}  // namespace zephyl
