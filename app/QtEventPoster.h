#pragma once

#include <QObject>

#include "EventPoster.h"

namespace zephyl {

// Runs posted tasks on the thread that made it, through Qt's event loop. Tasks still queued
// when it goes are dropped with it.
class QtEventPoster final : public EventPoster {
 public:
  void Post(std::function<void()> task) override;

 private:
  QObject m_context;
};

}  // namespace zephyl
