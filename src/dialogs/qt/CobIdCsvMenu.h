#pragma once
// The context menu of the Set CobID Access grids: "Import CSV..." and
// "Export CSV...", each for both tables at once.

#include "dialogs/CobIdAccessLogic.h"

#include <array>
#include <functional>

namespace c2c {

class CobIdGrid;

// Adds the two actions (object names ImportCsv and ExportCsv) to both
// grids' context menus. An import is handed to `submit` as one edit.
void AddCsvMenu(CobIdAccessLogic& logic, const std::array<CobIdGrid*, 2>& grids,
                std::function<void(CobIdEdit)> submit);

} // namespace c2c
