#include "QtEventPoster.h"

namespace zephyl {

void QtEventPoster::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(&m_context, std::move(task), Qt::QueuedConnection);
}

}  // namespace zephyl
