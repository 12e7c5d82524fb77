#pragma once
// Checks that help a CANopen engineer: with Positive Implementation set only
// the listed identifiers cross the device, and a forgotten row silently
// drops a node's heartbeat or SDO answers, or the NMT master's commands.
//
// A table "lists" an identifier when a row's Original CobID reads as it.
// The checks say:
// - a node whose TPDOs are listed in a table while its heartbeat or SDO
//   response is not: the usual sign of a forgotten row;
// - with some CANopen node listed (a TPDO or a heartbeat), no table that
//   lists NMT or SYNC.
// The identifiers are those of the predefined set (documents/CanOpen.h).
// Nothing with Positive Implementation clear: unlisted identifiers pass then.

#include "documents/CobIdTables.h"

#include <string>
#include <vector>

namespace c2c {

// One line per finding; empty when there is nothing to say.
std::vector<std::string> CheckCanOpenTables(const CobIdTables& tables, const CommSession& session);

} // namespace c2c
