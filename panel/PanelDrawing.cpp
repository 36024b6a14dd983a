#include "PanelDrawing.h"

#include <algorithm>
#include <cstdio>

#include "PanelDisplays.h"
#include "PanelLamps.h"

namespace zephyl {

namespace {

constexpr std::string_view kFace = "Arial";
constexpr FontDesc kValueFont{kFace, kDisplayFontHeight, 600};
constexpr FontDesc kLabelFont{kFace, 12, 500};
constexpr int kFramePenWidth = 2;
constexpr Rgb kPatchColour{125, 255, 125};
constexpr Rgb kBankColour{5, 255, 5};
constexpr Rgb kValueColour{255, 0, 0};
constexpr Rgb kLabelColour{220, 220, 220};
constexpr Rgb kFrameColour{220, 190, 10};
constexpr double kKnobStep = 3.3;  // values per knob frame
constexpr double kMorphStep = 2 * kKnobStep;
constexpr int kMiddleFrame = 19;
constexpr int kLabelDrop = 22;        // below a knob's anchor
constexpr int kButtonLabelDrop = 10;  // below a button's anchor
constexpr int kLabelCentre = 10;
constexpr int kOctave = 12;
constexpr std::uint8_t kSyncLowBit = 0x01;
constexpr std::uint8_t kSyncHighBit = 0x02;
constexpr std::uint8_t kSineElement = 3;  // of the oscillator waves
constexpr std::uint8_t kNoiseElement = 4;
constexpr int kNone = -1;

constexpr PanelRect kFrames[] = {
    {30, 7, 190, 54},   {30, 57, 190, 104}, {30, 107, 190, 154},
    {200, 7, 320, 154}, {330, 7, 530, 54},  {330, 57, 530, 154},
};

// Display pictures by value, for the selectors whose pictures are not in value order.
constexpr int kLfoDestination[] = {kPwResource, kFilterResource, kOsc2Resource, kOsc12Resource,
                                   kFmResource};
constexpr int kModWheel[] = {kFilterResource, kFmResource, kOsc2Resource, kLfo1Resource,
                             kMorphResource};
constexpr int kModEnvelopeDestination[] = {kOsc2Resource, kFmResource, kPwResource,
                                           kDashesResource};
constexpr int kArpDest[] = {kDownResource, kUpResource,     kUpAndDownResource,
                            kAmpResource,  kOsc12Resource,  kRandomResource,
                            kEchoResource, kFilterResource, kDashesResource};

template <std::size_t N>
int Pick(const int (&ids)[N], std::uint8_t value) {
  return value < N ? ids[value] : kNone;
}

template <std::size_t N>
const CDib* Element(const std::array<CDib, N>& set, std::uint8_t value) {
  return value < N ? &set[value] : nullptr;
}

void TextAt(PanelSurface& surface, PanelPoint at, std::string_view text) {
  surface.TextOut(at.x, at.y, text);
}

void DrawAt(PanelSurface& surface, const CDib* picture, PanelPoint at) {
  if (!picture) return;
  const CDib::Size size = picture->GetSize();
  picture->Draw(surface, at.x, at.y, size.width, size.height);
}

class Pass {
 public:
  Pass(PanelSurface& surface, const PanelPictures& pictures, const PanelTables& tables)
      : s(surface), p(pictures), c(tables.controls) {}

  void Lamp(PanelPoint at, bool lit) { DrawAt(s, lit ? &p.lampLit : &p.lampDark, at); }
  void Display(const CDib* picture, const CPanelControl& control) {
    DrawAt(s, picture, DisplayPictureAt(control));
  }
  void Display(int id, const CPanelControl& control) {
    if (id != kNone) Display(p.Display(id), control);
  }
  void Label(const CPanelControl& control, int drop) {
    s.TextOut(control.m_x + kLabelCentre, control.m_y + drop, control.m_label);
  }
  void Button(const CPanelControl& control) { DrawAt(s, &p.button, {control.m_x, control.m_y}); }

  // What the display picture or lights above button i show for value k.
  void ButtonState(std::size_t i, std::uint8_t k) {
    const CPanelControl& b = c[i];
    switch (i) {
      case 50:  // Oscillators "wave", left: pulse, sawtooth, triangle, sine
        Display(k < kNoiseElement ? &p.oscillatorWaves[k] : nullptr, b);
        break;
      case 51:  // and right, with noise where the left one has the sine
        Display(k < kSineElement    ? &p.oscillatorWaves[k]
                : k == kSineElement ? &p.oscillatorWaves[kNoiseElement]
                                    : nullptr,
                b);
        break;
      case kSyncParameter:
        Lamp(LampAbove(c[kDistButton]), (k & kDistBit) != 0);
        Lamp(SyncLamp(b, 0), (k & kSyncLowBit) != 0);
        Lamp(SyncLamp(b, 1), (k & kSyncHighBit) != 0);
        break;
      case 53:  // Filter "filter"
        Display(Element(p.filters, k), b);
        break;
      case 55:  // Filter "kbd"
        Display(Element(p.trackings, k), b);
        break;
      case 56:  // LFO 1 "wave"
        Display(Element(p.lfoWaves, k), b);
        break;
      case 57:  // LFO 1 "dest"
        Display(Pick(kLfoDestination, k), b);
        break;
      case 58:  // "voice"
        Display(Element(p.voiceModes, k), b);
        break;
      case 59:  // Portamento "modwheel"
        Display(Pick(kModWheel, k), b);
        break;
      case 61:  // Mod envelope "dest"
        Display(Pick(kModEnvelopeDestination, k), b);
        break;
      case 54:  // Oscillators "kbd", "unison", "auto", Filter "vel": on or off
      case 60:
      case 62:
      case 63:
        Lamp(LampAbove(b), k != 0);
        break;
      case kOctaveParameter:
        for (int shift = 0; shift < kOctaveShiftLampCount; ++shift) {
          Lamp(OctaveShiftLamp(b, shift), shift == k);
        }
        break;
      case kArpParameter:
        Lamp(LampAbove(c[kArpButton]), IsArpeggioMode(k));
        Display(Pick(kArpDest, k), b);
        break;
      default:
        break;
    }
  }

  PanelSurface& s;
  const PanelPictures& p;
  const std::array<CPanelControl, kControlCount>& c;
};

std::string Format(const char* format, int value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

int KnobFrame(const CPatch& patch, std::size_t knob, bool morph) {
  int frame = 0;
  if (!morph) {
    frame = static_cast<int>(patch.m_values[knob] / kKnobStep);
  } else {
    // +128 stays positive: it is the one byte above 127 that reads as a full turn.
    const int a = patch.m_values[kMorphFirst + knob];
    const int m = a <= 128 ? a : a - 256;
    frame = kMiddleFrame + static_cast<int>(m / kMorphStep);
  }
  return std::clamp(frame, 0, static_cast<int>(kKnobFrameCount) - 1);
}

void DrawPanel(PanelSurface& s, CPanelEditor& editor, const PanelPictures& pictures) {
  const CQuensetDoc& doc = editor.Doc();
  const PanelTables& tables = editor.Tables();
  const auto& c = tables.controls;
  const CPatch& patch = doc.CurrentPatch();
  const bool morph = editor.MorphMode();
  Pass pass(s, pictures, tables);

  const auto valueFont = s.CreateFont(kValueFont);
  const auto labelFont = s.CreateFont(kLabelFont);
  s.SetTextBackground(kPanelGrey);

  // The displays: patch number, bank number and the current parameter's value.
  const auto oldFont = s.SelectFont(valueFont);
  s.SetTextAlign(TextAlign::TopLeft);
  s.SetTextColor(kPatchColour);
  TextAt(s, kPatchDisplay.Number(),
         Format("%3d      ", static_cast<int>(doc.CurrentIndex(doc.CurrentBank())) + 1));
  s.SetTextColor(kBankColour);
  TextAt(s, kBankDisplay.Number(), Format("%3d", static_cast<int>(doc.CurrentBank()) + 1));
  s.SetTextColor(kValueColour);
  const int value = static_cast<std::int8_t>(patch.m_values[editor.CurrentParameter()]);
  TextAt(s, kValueDisplay.Number(), Format("%3d  ", value));
  s.SelectFont(labelFont);
  s.SetTextColor(kLabelColour);
  TextAt(s, kValueDisplay.Caption(), "value:");
  TextAt(s, kBankDisplay.Caption(), "bank:");
  TextAt(s, kPatchDisplay.Caption(), "patch:");
  s.SelectFont(oldFont);

  DrawAt(s, &pictures.logo, {330, 160});

  s.SetTextColor(kLabelColour);
  s.SetTextAlign(TextAlign::TopCentre);
  const auto previous = s.SelectFont(labelFont);

  for (std::size_t i = 0; i < kKnobCount; ++i) {
    const CPanelControl& knob = c[i];
    if (knob.m_kind != CPanelControl::kKnob) continue;
    if (!morph && patch.m_values[kMorphFirst + i] != 0) editor.HoldMorphLight();
    DrawAt(s, &pictures.knobFrames[KnobFrame(patch, i, morph)], {knob.m_x, knob.m_y});
    pass.Label(knob, kLabelDrop);
  }

  for (std::size_t i = kFirstButton; i <= kOctaveDownButton; ++i) {
    const CPanelControl& button = c[i];
    if (button.m_kind != CPanelControl::kButton) continue;
    if (i < kParameterCount) pass.ButtonState(i, patch.m_values[i]);
    pass.Label(button, kButtonLabelDrop);
    pass.Button(button);
  }

  const int phase = editor.BlinkPhase();
  const bool lights[] = {
      phase == CPanelEditor::kSteadyPhase || (morph && phase != 0),
      c[kTrigButton].m_state == 1,
      c[kPerfButton].m_state == 1,
  };
  for (std::size_t i = kMorphButton; i <= kSendButton; ++i) {
    pass.Label(c[i], kButtonLabelDrop);
    if (i != kSendButton) pass.Lamp(LampAbove(c[i]), lights[i - kMorphButton]);
    pass.Button(c[i]);
  }

  pass.Lamp(SemitoneOctaveLamp(c[kSemitonesParameter]),
            patch.m_values[kSemitonesParameter] % kOctave == 0);

  for (std::size_t j = 0; j < kSlotCount; ++j) {
    const CPanelControl& slot = tables.slotButtons[j];
    pass.Lamp(LampAbove(slot), static_cast<int>(j) == editor.Slot());
    pass.Button(slot);
  }
  s.SelectFont(previous);

  const auto pen = s.CreatePen(kFramePenWidth, kFrameColour);
  const auto oldPen = s.SelectPen(pen);
  for (const PanelRect& f : kFrames) {
    s.MoveTo(f.left, f.top);
    s.LineTo(f.right, f.top);
    s.LineTo(f.right, f.bottom);
    s.LineTo(f.left, f.bottom);
    s.LineTo(f.left, f.top);
  }
  s.SelectPen(oldPen);
  s.DeletePen(pen);
  s.DeleteFont(valueFont);
  s.DeleteFont(labelFont);
}

}  // namespace zephyl
