#include "app/undo_commands.h"

namespace korvel {

void UndoLastChange(AppContext& a) {
  a.p.SetStatus("Nothing to undo.");
}

}  // namespace korvel
