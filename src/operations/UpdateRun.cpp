#include "operations/UpdateRun.h"

#include "project/ProjectLayout.h"
#include "project/ProjectLock.h"

namespace c2c {

FirmwareUpdateOutcome UpdateFirmware(const ProjectLayout& project, const FirmwareUpdate& update,
                                     MessageService& messages, ProgressSink& progress, ShellService& shell)
{
    // Held for the whole run; the operations below share it.
    ProjectLock lock(project);
    FirmwareUpdateOutcome outcome;
    outcome.build = UpdateDevice(project);
    const ComposerSettings settings = ComposerSettingsFor(project, update.masterPath, update.newFileName);
    outcome.chain = ComposeFirmware(settings, update.banks, messages, progress);
    if (update.flasherPort && outcome.chain.AllInserted())
        outcome.flasher = StartFlasher(project, settings.NewFirmwarePath(), *update.flasherPort,
                                       settings.MasterFolder, shell);
    return outcome;
}

} // namespace c2c
