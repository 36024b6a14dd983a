#include "MenuTable.h"

#include <array>

#include "CommandIds.h"

namespace zephyl {

namespace {

using namespace cmd;

constexpr MenuItem kSeparator{};

constexpr std::array kFileItems = {
    MenuItem{"&Clear Bank", kFileNew, "Ctrl+N"},
    MenuItem{"&Open...", kFileOpen, "Ctrl+O"},
    MenuItem{"&Save", kFileSave, "Ctrl+S"},
    MenuItem{"Save &As...", kFileSaveAs, ""},
    kSeparator,
    MenuItem{"Explode Bank", kExplodeBank, ""},
    kSeparator,
    MenuItem{"Recent File", kFileRecentFirst, "", true},
    kSeparator,
    MenuItem{"E&xit", kAppExit, ""},
};

constexpr std::array kEditItems = {
    // Enabled, and named after the step, while there is one to undo or redo.
    MenuItem{"&Undo", kEditUndo, "Ctrl+Z", true},
    MenuItem{"&Redo", kEditRedo, "Ctrl+Shift+Z", true},
    kSeparator,
    MenuItem{"Cu&t", kEditCut, "Ctrl+X"},
    MenuItem{"&Copy", kEditCopy, "Ctrl+C"},
    MenuItem{"&Paste", kEditPaste, "Ctrl+V"},
    MenuItem{"Insert", kEditInsert, "", true},
    kSeparator,
    MenuItem{"New Patch", kNewPatch, ""},
    MenuItem{"Clear Morph", kClearMorph, ""},
    kSeparator,
    MenuItem{"Configure", kConfigure, ""},
};

constexpr std::array kRunItems = {
    MenuItem{"&Procreate", kProcreate, ""},
    kSeparator,
    MenuItem{"Evolve Patch", kEvolvePatch, "", true},
    kSeparator,
    MenuItem{"Invert Patch", kInvertPatch, ""},
    kSeparator,
    MenuItem{"Modify Patch", kModifyPatch, ""},
    kSeparator,
    MenuItem{"Random Patch", kRandomPatch, ""},
    MenuItem{"Random Bank", kRandomBank, "", true},
    kSeparator,
};

constexpr std::array kPatchItems = {
    MenuItem{"Next", kMenuNext, "Up"},
    MenuItem{"Prev", kMenuPrev, "Down"},
    MenuItem{"Next 50", kMenuNext50, "Shift+Up"},
    MenuItem{"Prev 50", kMenuPrev50, "Shift+Down"},
    MenuItem{"Next and Send", kMenuNextAndSend, "PgUp"},
    MenuItem{"Prev and Send", kMenuPrevAndSend, "PgDown"},
    kSeparator,
    MenuItem{"Next bank", kMenuNextBank, "Right"},
    MenuItem{"Prev bank", kMenuPrevBank, "Left"},
};

// The receive item's resource text; the menu shows the receiver's text in its place.
constexpr std::array kSysExItems = {
    MenuItem{"&Send", kSend, "Return"},
    MenuItem{"Recieve", kReceive, ""},
    kSeparator,
    MenuItem{"Panic", kPanic, ""},
    MenuItem{"Send on &Edit", kSendOnEdit, "", false, true},
};

constexpr std::array kHelpItems = {
    MenuItem{"&About Zephyl...", kAbout, ""},
};

constexpr std::array kMenu = {
    MenuPopup{"&File", kFileItems},   MenuPopup{"&Edit", kEditItems},
    MenuPopup{"&Run", kRunItems},     MenuPopup{"&Patch", kPatchItems},
    MenuPopup{"&SysEx", kSysExItems}, MenuPopup{"&Help", kHelpItems},
};

constexpr std::array kAccelerators = {
    KeyBinding{"Ctrl+N", kFileNew},
    KeyBinding{"Ctrl+O", kFileOpen},
    KeyBinding{"Ctrl+S", kFileSave},
    KeyBinding{"Ctrl+C", kEditCopy},
    KeyBinding{"Ctrl+Ins", kEditCopy},
    KeyBinding{"Ctrl+X", kEditCut},
    KeyBinding{"Shift+Del", kEditCut},
    KeyBinding{"Ctrl+V", kEditPaste},
    KeyBinding{"Shift+Ins", kEditPaste},
    KeyBinding{"Ctrl+Z", kEditUndo},
    KeyBinding{"Alt+Backspace", kEditUndo},
    KeyBinding{"Ctrl+Shift+Z", kEditRedo},
    KeyBinding{"Ctrl+Y", kEditRedo},
    KeyBinding{"F6", kNextPane},
    KeyBinding{"Shift+F6", kPrevPane},
    KeyBinding{"Up", kNext},
    KeyBinding{"Down", kPrev},
    KeyBinding{"Shift+Up", kNext50},
    KeyBinding{"Shift+Down", kPrev50},
    KeyBinding{"PgUp", kNextAndSend},
    KeyBinding{"PgDown", kPrevAndSend},
    KeyBinding{"Right", kNextBank},
    KeyBinding{"Left", kPrevBank},
    KeyBinding{"Del", kDelete},
    // Both Enter keys, as the main one and the keypad's are one key elsewhere.
    KeyBinding{"Return", kSendKey},
    KeyBinding{"Enter", kSendKey},
};

}  // namespace

std::span<const MenuPopup> MainMenu() {
  return kMenu;
}

std::span<const KeyBinding> Accelerators() {
  return kAccelerators;
}

}  // namespace zephyl
