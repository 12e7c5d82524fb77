#include "dialogs/CobIdEdit.h"

namespace c2c {

CobIdEdit DiffCobIdTables(std::string name, const CobIdTables& before, const CobIdTables& after)
{
    CobIdEdit edit{std::move(name), {}};
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const CobIdTable& old = before.Table(direction);
        const CobIdTable& now = after.Table(direction);
        for (std::size_t r = 0; r < old.size() && r < now.size(); ++r) {
            if (old[r] == now[r])
                continue;
            for (int column : {kOriginalColumn, kModifyColumn, kDescriptionColumn})
                if (old[r].Cell(column) != now[r].Cell(column))
                    edit.cells.push_back({{direction, r, column}, old[r].Cell(column), now[r].Cell(column)});
        }
    }
    return edit;
}

} // namespace c2c
