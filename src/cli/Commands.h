#pragma once
// The commands of drevanta-c2c-cli. Each takes the arguments after its name
// and returns the process exit status; it writes its errors to `err`.

#include <iosfwd>
#include <string>
#include <vector>

namespace c2c {
class ProjectLayout;
}

namespace c2c::cli {

// The project folder named on the command line, kept without a trailing
// separator as the program holds it; a bare "/" becomes empty, which is no
// project.
ProjectLayout ProjectArgument(const std::string& argument);

int RunBuildCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int RunComposeCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// One-line summaries and full help texts, shown by --help.
extern const char* const kBuildSummary;
extern const char* const kBuildHelp;
extern const char* const kComposeSummary;
extern const char* const kComposeHelp;

} // namespace c2c::cli
