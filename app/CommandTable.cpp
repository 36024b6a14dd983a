#include "CommandTable.h"

#include "CommandIds.h"
#include "MenuTable.h"

namespace zephyl {

namespace {

using namespace cmd;

std::optional<BankCommand> BankCommandFor(int id) {
  switch (id) {
    case kNext:
    case kMenuNext:
      return BankCommand::Next;
    case kPrev:
    case kMenuPrev:
      return BankCommand::Prev;
    case kNextAndSend:
    case kMenuNextAndSend:
      return BankCommand::NextAndSend;
    case kPrevAndSend:
    case kMenuPrevAndSend:
      return BankCommand::PrevAndSend;
    case kNext50:
    case kMenuNext50:
      return BankCommand::Next50;
    case kPrev50:
    case kMenuPrev50:
      return BankCommand::Prev50;
    case kNextBank:
    case kMenuNextBank:
      return BankCommand::NextBank;
    case kPrevBank:
    case kMenuPrevBank:
      return BankCommand::PrevBank;
    case kDelete:
      return BankCommand::Delete;
    case kNewPatch:
      return BankCommand::NewPatch;
    case kEditCut:
      return BankCommand::Cut;
    case kEditCopy:
      return BankCommand::Copy;
    case kEditPaste:
      return BankCommand::Paste;
    case kInvertPatch:
      return BankCommand::InvertPatch;
    case kModifyPatch:
      return BankCommand::ModifyPatch;
    case kRandomPatch:
    case kRandomBank:  // one handler for both; the menu item stays grey
      return BankCommand::RandomPatch;
    case kClearMorph:
      return BankCommand::ClearMorph;
    case kProcreate:
      return BankCommand::Procreate;
    case kEditUndo:
      return BankCommand::Undo;
    case kEditRedo:
      return BankCommand::Redo;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<Command> CommandFor(int id) {
  if (const auto bank = BankCommandFor(id)) return Command{Action::Bank, *bank};
  if (id >= kFileRecentFirst && id < kFileRecentFirst + static_cast<int>(kRecentFileCount)) {
    return Command{.action = Action::OpenRecent,
                   .recent = static_cast<std::size_t>(id - kFileRecentFirst)};
  }
  switch (id) {
    case kSend:
    case kSendKey:
      return Command{Action::Send};
    case kReceive:
      return Command{Action::Receive};
    case kPanic:
      return Command{Action::Panic};
    case kSendOnEdit:
      return Command{Action::SendOnEdit};
    case kConfigure:
      return Command{Action::Configure};
    case kExplodeBank:
      return Command{Action::Explode};
    case kFileNew:
      return Command{Action::NewDocument};
    case kFileOpen:
      return Command{Action::Open};
    case kFileSave:
      return Command{Action::Save};
    case kFileSaveAs:
      return Command{Action::SaveAs};
    case kAppExit:
      return Command{Action::Exit};
    case kAbout:
      return Command{Action::About};
    case kNextPane:
    case kPrevPane:
      return Command{Action::Nothing};
    default:
      return std::nullopt;
  }
}

}  // namespace zephyl
