#pragma once

#include <memory>

#include "CommandLine.h"
#include "ProgressRunner.h"
#include "UserPrompts.h"

namespace zephyl {

class CMainFrame;
class CQuensetDoc;

// Start-up: the settings' name, the document, the window and its view, then the command line.
class CQuensetApp {
 public:
  explicit CQuensetApp(UserPrompts& prompts, ProgressTiming timing = {});
  ~CQuensetApp();

  // False when the file named on the command line could not be opened; the window is then
  // never shown.
  bool InitInstance(const CommandLine& line);

  CMainFrame& MainFrame() { return *m_frame; }
  CQuensetDoc& Doc() { return *m_doc; }

 private:
  UserPrompts& m_prompts;
  ProgressTiming m_timing;
  std::unique_ptr<CQuensetDoc> m_doc;
  std::unique_ptr<CMainFrame> m_frame;
};

// The seed of the run's random generator: ZEPHYL_SEED when set, for a run that can be
// repeated exactly, else the clock in seconds.
std::uint32_t StartSeed();

}  // namespace zephyl
