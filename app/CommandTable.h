#pragma once

#include <cstddef>
#include <optional>

#include "BankCommand.h"

namespace zephyl {

// What a command id does. Ids with no handler ("Insert", "Evolve Patch") have no entry.
enum class Action {
  Bank,        // a bank command of the editor
  Send,        // the current patch to the instrument
  Receive,     // receive mode on or off
  Panic,       // every note off on every channel
  SendOnEdit,  // edits on the panel sent as they happen, or not
  Configure,   // the preferences
  Explode,
  NewDocument,  // "&Clear Bank"
  Open,
  Save,
  SaveAs,
  OpenRecent,
  Exit,
  About,
  Nothing,  // bound, but with nothing to do here: the pane keys
};

struct Command {
  Action action;
  BankCommand bank = BankCommand::Next;  // for Action::Bank
  std::size_t recent = 0;                // for Action::OpenRecent: 0 is the newest entry
};

std::optional<Command> CommandFor(int id);

}  // namespace zephyl
