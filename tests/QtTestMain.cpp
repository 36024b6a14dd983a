// Runs the tests in one QApplication on Qt's offscreen platform, with settings and data in a
// private folder: the user's recent files and recovery files are never touched.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>

// Caches Qt and fontconfig keep for the life of the process are no leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6Core.so\n"
         "leak:libQt6Gui.so\n"
         "leak:libQt6Widgets.so\n"
         "leak:libfontconfig.so\n"
         "leak:libglib-2.0.so\n";
}

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("ZEPHYL_MIDI_API", "none", 1);  // no MIDI system of the machine
  QTemporaryDir settings;
  if (!settings.isValid()) return 1;
  for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
    setenv(variable, settings.path().toLocal8Bit().constData(), 1);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
