#include "operations/ProjectCheck.h"

#include "documents/CanOpenCheck.h"
#include "documents/CobIdChecks.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankImage.h"
#include "operations/CobIdWarnings.h"
#include "operations/Operations.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"

#include <optional>

namespace c2c {

namespace {

// The frame-format numbers other than 0 and 1: a problem when the build
// refuses the number (`problems`), a warning otherwise.
void CheckFrameFormats(const CommSettings& settings, std::vector<std::string>* problems,
                       std::vector<std::string>& warnings)
{
    for (const auto& [element, type] : {std::pair{kPargenElements[kType], settings.format0},
                                        std::pair{kPargenElements[kTypeC1], settings.format1}})
        if (const auto text = FrameFormatNumberText(element, type)) {
            if (!IsLostFrameFormat(type))
                warnings.push_back(*text);
            else if (problems)
                problems->push_back(*text);
        }
}

} // namespace

std::vector<std::string> ProjectWarnings(const CommSettings& settings, const CobIdTables& tables)
{
    std::vector<std::string> warnings;
    CheckFrameFormats(settings, nullptr, warnings);
    const CommSession session = SessionOf(settings);
    for (const CobIdWarning& warning :
         FindCobIdWarnings(tables, CobIdWarningRules{CobIdLayout(session), IsPositiveSet(settings)}))
        warnings.push_back(warning.text);
    for (std::string& advice : CheckCanOpenTables(tables, session))
        warnings.push_back(std::move(advice));
    return warnings;
}

ProjectCheck CheckProjectDocuments(const ProjectLayout& project)
{
    project.RequireProject();
    ProjectCheck check;
    std::optional<CommSettings> settings;
    try {
        settings = ReadPargenStrictly(project.PargenFile());
    } catch (const Error& error) {
        check.problems.push_back(error.what());
    }
    std::vector<std::string> frameWarnings;
    if (settings)
        CheckFrameFormats(*settings, &check.problems, frameWarnings);
    std::optional<CobIdTables> tables;
    try {
        // A new project has no tables until they are saved once: said as the build says it.
        if (!PathExists(project.CobIdFile()))
            throw Error(CobIdDocumentMissingText(project.CobIdFile()));
        tables = ReadCobIdStrictly(project.CobIdFile());
    } catch (const Error& error) {
        check.problems.push_back(error.what());
    }
    check.advice = std::move(frameWarnings);
    if (!tables)
        return check;
    // The ranges depend on the formats: without readable settings only the
    // integers are checked (no type number has a range).
    const CommSession session = settings ? SessionOf(*settings) : CommSession{-1, -1, false};
    for (const CobIdCellProblem& cell : FindCobIdCellProblems(*tables, session))
        check.problems.push_back(CobIdCellProblemText(*tables, session, cell));
    if (settings)
        check.advice = ProjectWarnings(*settings, *tables);
    return check;
}

} // namespace c2c
