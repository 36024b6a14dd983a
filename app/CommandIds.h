#pragma once

namespace zephyl::cmd {

// Command ids of the menu and the keys. Device menu items take ids from 101 upwards, so none
// of these collide with them.
inline constexpr int kFileNew = 57600;  // "&Clear Bank"
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFileRecentFirst = 57616;  // the recent-file entries follow it
inline constexpr int kAppExit = 57665;
inline constexpr int kEditUndo = 57643;
inline constexpr int kEditRedo = 57644;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditInsert = 32787;
inline constexpr int kNewPatch = 32784;
inline constexpr int kClearMorph = 32800;
inline constexpr int kConfigure = 32783;
inline constexpr int kProcreate = 32771;
inline constexpr int kEvolvePatch = 32781;
inline constexpr int kInvertPatch = 32782;
inline constexpr int kModifyPatch = 32785;
inline constexpr int kRandomPatch = 32798;
inline constexpr int kRandomBank = 32799;
inline constexpr int kExplodeBank = 32795;
inline constexpr int kMenuNext = 32789;
inline constexpr int kMenuPrev = 32790;
inline constexpr int kMenuNext50 = 32791;
inline constexpr int kMenuPrev50 = 32792;
inline constexpr int kMenuNextAndSend = 32793;
inline constexpr int kMenuPrevAndSend = 32794;
inline constexpr int kMenuNextBank = 32804;
inline constexpr int kMenuPrevBank = 32805;
inline constexpr int kSend = 32772;
inline constexpr int kReceive = 32775;
inline constexpr int kPanic = 32806;
inline constexpr int kSendOnEdit = 32807;
inline constexpr int kAbout = 57664;

// Reached by keys only.
inline constexpr int kNext = 32779;
inline constexpr int kPrev = 32780;
inline constexpr int kNext50 = 32801;
inline constexpr int kPrev50 = 32802;
inline constexpr int kNextAndSend = 32773;
inline constexpr int kPrevAndSend = 32774;
inline constexpr int kNextBank = 32776;
inline constexpr int kPrevBank = 32777;
inline constexpr int kDelete = 32778;
inline constexpr int kSendKey = 32786;
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;

}  // namespace zephyl::cmd
