#pragma once

#include <QString>
#include <string_view>

namespace zephyl {

// The texts of the tables and the logic are UTF-8.
inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace zephyl
