#pragma once

#include <QSettings>

namespace zephyl {

// The editor's settings that outlive a run (the recent files, the MIDI ports chosen, Send on
// Edit), under the name "zephyl".
inline QSettings Settings() {
  return QSettings(QStringLiteral("zephyl"), QStringLiteral("zephyl"));
}

}  // namespace zephyl
