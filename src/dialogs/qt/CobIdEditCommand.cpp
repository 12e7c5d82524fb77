#include "dialogs/qt/CobIdEditCommand.h"

#include "dialogs/qt/CobIdAccessWindow.h"
#include "platform/qt/QtServices.h"

namespace c2c {

CobIdEditCommand::CobIdEditCommand(CobIdAccessWindow& window, CobIdEdit edit)
    : QUndoCommand(ToQString(edit.name)), window_(window), edit_(std::move(edit))
{
}

void CobIdEditCommand::redo()
{
    // The first time is the user's own action: the selection stays.
    window_.CarryOut(edit_, !first_);
    first_ = false;
}

void CobIdEditCommand::undo()
{
    window_.TakeBack(edit_);
}

} // namespace c2c
