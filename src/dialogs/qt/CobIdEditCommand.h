#pragma once
// One step of Set CobID Access's undo stack, as Qt's undo framework has
// them: an edit of the window's logic (dialogs/CobIdAccessLogic.h).
// Pushing it carries it out; the selection then stays where the user works.

#include "dialogs/CobIdAccessLogic.h"

#include <QUndoCommand>

namespace c2c {

class CobIdAccessWindow;

class CobIdEditCommand final : public QUndoCommand {
public:
    CobIdEditCommand(CobIdAccessWindow& window, CobIdEdit edit);
    void redo() override;
    void undo() override;

private:
    CobIdAccessWindow& window_;
    CobIdEdit edit_;
    bool first_ = true;
};

} // namespace c2c
