#pragma once

#include "DibMessages.h"

namespace zephyl::test {

// Counts the messages a picture shows instead of showing them.
class CountingDibMessages final : public DibMessages {
 public:
  void Show(std::string_view) override { ++count; }
  int count = 0;
};

}  // namespace zephyl::test
