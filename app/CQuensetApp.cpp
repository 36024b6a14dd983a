#include "CQuensetApp.h"

#include <QCoreApplication>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string_view>

#include "CMainFrame.h"
#include "CQuensetDoc.h"
#include "CQuensetView.h"
#include "QtEventPoster.h"
#include "RtMidiLibrary.h"

namespace zephyl {

std::uint32_t StartSeed() {
  if (const char* text = std::getenv("ZEPHYL_SEED")) {
    const std::string_view digits(text);
    std::uint32_t seed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), seed);
    if (error == std::errc{} && end == digits.data() + digits.size()) return seed;
  }
  return static_cast<std::uint32_t>(std::time(nullptr));
}

CQuensetApp::CQuensetApp(UserPrompts& prompts, ProgressTiming timing, MidiLibrary* midi)
    : m_prompts(prompts), m_timing(timing), m_midi(midi) {}

CQuensetApp::~CQuensetApp() = default;

bool CQuensetApp::InitInstance(const CommandLine& line) {
  // A FIFO or pipe whose reader went away fails the write, which is reported; it must not end
  // the program.
  std::signal(SIGPIPE, SIG_IGN);

  // The recent-file list lives under this name.
  QCoreApplication::setOrganizationName(QStringLiteral("zephyl"));
  QCoreApplication::setApplicationName(QStringLiteral("zephyl"));

  if (m_midi == nullptr) {
    m_poster = std::make_unique<QtEventPoster>();
    auto library = std::make_unique<RtMidiLibrary>(*m_poster);
    // Without MIDI the editor works all the same; the reason goes where a terminal sees it.
    if (!library->LastError().empty()) std::cerr << "zephyl: " << library->LastError() << '\n';
    m_midi = library.get();
    m_ownMidi = std::move(library);
  }
  // The document first, then the window, whose view opens MIDI and starts its timer; the
  // desktop's file association is installed with the program, not written at run time.
  m_doc = std::make_unique<CQuensetDoc>();
  m_frame = std::make_unique<CMainFrame>(*m_doc, m_prompts, *m_midi, StartSeed(), m_timing);

  // The banks of an editor that ended without cleaning up first; a file named is opened into
  // them.
  m_frame->OfferRecovery();
  if (line.file) {
    const auto result = m_frame->Files().Open(*line.file);
    if (result == DocumentFiles::OpenResult::Cancelled) {
      std::cerr << "zephyl: opening \"" << line.file->string() << "\" was cancelled\n";
    }
    if (result != DocumentFiles::OpenResult::Opened) return false;
  } else {
    m_frame->View().OnInitialUpdate();
  }
  m_frame->show();
  return true;
}

}  // namespace zephyl
