#pragma once
// The context menu of the Set CobID Access grids: "Import CSV..." and
// "Export CSV...", each for both tables at once.

#include <array>

namespace c2c {

class CobIdAccessLogic;
class CobIdGrid;

// Gives both grids the two actions (object names ImportCsv and ExportCsv)
// as their context menu. An import shows its tables in both grids.
void AddCsvMenu(CobIdAccessLogic& logic, const std::array<CobIdGrid*, 2>& grids);

} // namespace c2c
