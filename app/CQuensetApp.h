#pragma once

#include <memory>

#include "CommandLine.h"
#include "MidiLibrary.h"
#include "ProgressRunner.h"
#include "UserPrompts.h"

namespace zephyl {

class CMainFrame;
class CQuensetDoc;
class QtEventPoster;

// Start-up: the settings' name, MIDI, the document, the window and its view, then the command
// line.
class CQuensetApp {
 public:
  // Without `midi` the application talks to the system's MIDI through RtMidi, on the API that
  // ZEPHYL_MIDI_API names, else ALSA, else JACK, else none.
  explicit CQuensetApp(UserPrompts& prompts, ProgressTiming timing = {},
                       MidiLibrary* midi = nullptr);
  ~CQuensetApp();

  // False when the file named on the command line could not be opened; the window is then
  // never shown.
  bool InitInstance(const CommandLine& line);

  CMainFrame& MainFrame() { return *m_frame; }
  CQuensetDoc& Doc() { return *m_doc; }

 private:
  UserPrompts& m_prompts;
  ProgressTiming m_timing;
  // Destroyed in reverse: the window and its ports first, then the library, then the loop
  // that carried the library's notifications.
  std::unique_ptr<QtEventPoster> m_poster;
  std::unique_ptr<MidiLibrary> m_ownMidi;
  MidiLibrary* m_midi;
  std::unique_ptr<CQuensetDoc> m_doc;
  std::unique_ptr<CMainFrame> m_frame;
};

// The seed of the run's random generator: ZEPHYL_SEED when set, for a run that can be
// repeated exactly, else the clock in seconds.
std::uint32_t StartSeed();

}  // namespace zephyl
