#include "RenderCommand.h"

#include <QBuffer>
#include <QByteArray>
#include <iostream>

#include "CPanelEditor.h"
#include "CliSupport.h"
#include "FileError.h"
#include "NullPanelHost.h"
#include "OutputFile.h"
#include "PanelPictures.h"
#include "RenderPanel.h"

namespace zephyl::cli {

namespace {

class ErrorMessages final : public DibMessages {
 public:
  explicit ErrorMessages(std::ostream& err) : m_err(err) {}
  void Show(std::string_view message) override { m_err << "Panel picture: " << message << '\n'; }

 private:
  std::ostream& m_err;
};

}  // namespace

int Render(const Path& file, const Path& output, const RenderOptions& options, Console console) {
  CQuensetDoc doc;
  if (!LoadNonEmpty(doc, file, console)) return kExitFailed;
  const std::size_t bank = doc.CurrentBank();
  const std::size_t patch = options.patch.value_or(1);
  if (!HoldsPatch(patch, doc.PatchCount(bank), NamedInput(file), console)) return kExitBadUsage;
  doc.SetCurrentIndex(bank, patch - 1);

  EnsureOffscreenApplication("zephyl-cli");
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
    Report(error, console);
    return kExitFailed;
  }
  console.err << "Wrote patch " << patch << " of " << NamedInput(file) << " to "
              << Named(output, "standard output") << '\n';
  return kExitOk;
}

}  // namespace zephyl::cli
