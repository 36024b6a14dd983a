#include "RenderCommand.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <iostream>

#include "BankFile.h"
#include "CPanelEditor.h"
#include "FileError.h"
#include "NullPanelHost.h"
#include "OutputFile.h"
#include "PanelPictures.h"
#include "RenderPanel.h"
#include "StandardStream.h"

namespace zephyl::cli {

namespace {

class ErrorMessages final : public DibMessages {
 public:
  explicit ErrorMessages(std::ostream& err) : m_err(err) {}
  void Show(std::string_view message) override { m_err << "Panel picture: " << message << '\n'; }

 private:
  std::ostream& m_err;
};

// Qt on a machine without a session says so; the panel needs no runtime folder.
void QuietAboutRuntimeFolder(QtMsgType type, const QMessageLogContext& context,
                             const QString& text) {
  if (text.contains("XDG_RUNTIME_DIR")) return;
  std::cerr << qFormatLogMessage(type, context, text).toStdString() << '\n';
}

// Qt's fonts need an application object; the offscreen platform needs no display.
void EnsureGuiApplication() {
  if (QGuiApplication::instance()) return;
  static int argc = 3;
  static char name[] = "zephyl-cli";
  static char option[] = "-platform";
  static char platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  const QtMessageHandler previous = qInstallMessageHandler(QuietAboutRuntimeFolder);
  static QGuiApplication app(argc, argv);
  qInstallMessageHandler(previous);
}

std::string Named(const Path& file, const char* standardStream) {
  return IsStandardStream(file) ? standardStream : '"' + file.string() + '"';
}

}  // namespace

int Render(const Path& file, const Path& output, const RenderOptions& options, Console console) {
  CQuensetDoc doc;
  try {
    if (LoadBankFile(doc, file).patchesAdded == 0) {
      console.err << Named(file, "standard input") << " holds no complete program dump\n";
      return kExitFailed;
    }
  } catch (const FileError& error) {
    console.err << error.what() << '\n';
    return kExitFailed;
  }
  const std::size_t bank = doc.CurrentBank();
  const std::size_t count = doc.PatchCount(bank);
  const std::size_t patch = options.patch.value_or(1);
  if (patch < 1 || patch > count) {
    console.err << "There is no patch " << patch << ": " << Named(file, "standard input")
                << " holds " << count << '\n';
    return kExitBadUsage;
  }
  doc.SetCurrentIndex(bank, patch - 1);

  EnsureGuiApplication();
  NullPanelHost host;
  CPanelEditor editor(doc, host);
  editor.SetMorphMode(options.morph);
  editor.SelectSlot(options.slot - 'A');
  editor.SetCurrentParameter(options.parameter);
  // As the panel looks once its blink timer has run: the "morph" light blinks in morph mode
  // and is lit in normal mode only while a morph amount is set.
  editor.OnTimer(CPanelEditor::kBlinkTimerId);
  PanelPictures pictures;
  ErrorMessages messages(console.err);
  if (!pictures.AttachAll(messages)) return kExitFailed;

  const QImage image = RenderPanel(editor, pictures, options.scale);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    console.err << "Cannot encode the panel as PNG for " << Named(output, "standard output")
                << '\n';
    return kExitFailed;
  }
  try {
    // "-" is standard output; a file is replaced whole or not at all.
    const std::unique_ptr<OutputFile> out = OpenOutputFile(output);
    out->Write({reinterpret_cast<const std::uint8_t*>(png.constData()),
                static_cast<std::size_t>(png.size())});
    out->Commit();
  } catch (const FileError& error) {
    console.err << error.what() << '\n';
    return kExitFailed;
  }
  console.err << "Wrote patch " << patch << " of " << Named(file, "standard input") << " to "
              << Named(output, "standard output") << '\n';
  return kExitOk;
}

}  // namespace zephyl::cli
