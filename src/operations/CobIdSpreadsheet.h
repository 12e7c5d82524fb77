#pragma once
// The CobID tables of a project to and from a spreadsheet file (see
// documents/CobIdCsv.h for the format).

#include "documents/CobIdCsv.h"

#include <string>
#include <string_view>

namespace c2c {

class ProjectLayout;

// The project's tables as spreadsheet text: every row of CanCanCobID.xml as
// the build reads it, so nothing the document holds is left out. A project
// without the document yet (a new one) gives the header alone. Throws Error
// when the document is broken.
std::string ExportCobIdCsv(const ProjectLayout& project);

// Replaces both tables of the project with those of spreadsheet text,
// checked against the frame formats in the project's pargen.xml (read as
// the build reads it). When every line is good, CanCanCobID.xml is saved as
// Set CobID Access saves it; otherwise nothing is written and the reading
// lists every bad line. Throws Error when pargen.xml cannot be read or the
// document cannot be written. The project's lock is held from the reading
// of pargen.xml to the save; Error(ProjectBusyText(...)) while another run
// holds it.
CobIdCsvReading ImportCobIdCsv(const ProjectLayout& project, std::string_view text);

// Whether the first bytes of a file are such spreadsheet text: its first
// line is the header (either separator, any letter case).
bool IsCobIdCsvText(std::string_view head);

} // namespace c2c
