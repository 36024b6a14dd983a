#pragma once

namespace zephyl {

// The editor's commands on the banks, bound to menu items and keys by the shell.
enum class BankCommand {
  Next,
  Prev,
  NextAndSend,
  PrevAndSend,
  Next50,
  Prev50,
  NextBank,
  PrevBank,
  Delete,
  NewPatch,
  Cut,
  Copy,
  Paste,
  InvertPatch,
  ModifyPatch,
  RandomPatch,
  ClearMorph,
  Procreate,
  ClearBank,
  Undo,
  Redo,
};

// What the shell does after a command.
struct CommandEffect {
  bool repaint = false;
  bool send = false;  // send the new current patch to the instrument
};

}  // namespace zephyl
