// Runs the tests in one QApplication on Qt's offscreen platform, which needs no display, with the
// settings and data in a private folder so that the user's recent-file list and recovery files
// are never touched.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>

// Qt, fontconfig and the graphics stack keep caches for the life of the process, which the
// leak checker reports at exit; only leaks inside those libraries are suppressed.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6Core.so\n"
         "leak:libQt6Gui.so\n"
         "leak:libQt6Widgets.so\n"
         "leak:libfontconfig.so\n"
         "leak:libglib-2.0.so\n";
}

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // An application made by a test talks to no MIDI system of the machine.
  setenv("ZEPHYL_MIDI_API", "none", 1);
  QTemporaryDir settings;
  if (!settings.isValid()) return 1;
  for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
    setenv(variable, settings.path().toLocal8Bit().constData(), 1);
  }
  setenv("XDG_RUNTIME_DIR", settings.path().toLocal8Bit().constData(), 1);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
