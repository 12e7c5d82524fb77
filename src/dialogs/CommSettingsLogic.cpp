#include "dialogs/CommSettingsLogic.h"

#include "dialogs/ProgramState.h"
#include "operations/CommChange.h"
#include "operations/Operations.h"

namespace c2c {

namespace {

int BitRateIndex(std::int32_t value)
{
    // An index outside the list shows no selection.
    return value >= 0 && value < static_cast<std::int32_t>(kBitRates.size()) ? value : -1;
}

void ShowFormat(PortControls& port, bool formatB)
{
    port.formatB = formatB;
    port.formatA = !formatB;
}

} // namespace

CommSettingsLogic::CommSettingsLogic(ProgramState& state, UiServices services) : state_(state), services_(services)
{
}

void CommSettingsLogic::Show()
{
    can1Visible = true;
    const PargenReading reading = ReadPargenLeniently(state_.workspace.layout.PargenFile());
    if (reading.state == DocumentState::Missing)
        services_.messages.showMessage(kMsgXmlFileNotFound);
    else if (!ShowReading(reading))
        services_.messages.showMessage(kMsgXmlReadError);
    ApplyPositiveRule();
}

bool CommSettingsLogic::ShowReading(const PargenReading& reading)
{
    if (!reading.bitRate0)
        return false;
    can0.bitRate = BitRateIndex(*reading.bitRate0);
    if (!reading.bitRate1)
        return false;
    can1.bitRate = BitRateIndex(*reading.bitRate1);
    if (!reading.format0)
        return false;
    ShowFormat(can0, *reading.format0 != 0);
    // Without TypeC1, CAN 1 follows CAN 0.
    ShowFormat(can1, reading.format1 ? *reading.format1 != 0 : can0.formatB);
    if (!reading.positive)
        return false;
    positive = *reading.positive == 1;
    if (!reading.dipSwitch0)
        return false;
    SetDipSwitch(0, *reading.dipSwitch0 == 1);
    if (!reading.dipSwitch1)
        return false;
    SetDipSwitch(1, *reading.dipSwitch1 == 1);
    return true;
}

void CommSettingsLogic::Ok()
{
    const CommSettings settings = Settings();
    const CommSession before = state_.session;
    state_.session = SessionOf(settings);
    SaveCommSettings(state_.workspace.layout, settings);
    // Saved all the same: Set CobID Access moves the rows at its next showing.
    const CobIdCarryOver carryOver = PlanCobIdCarryOver(state_.workspace.layout, before, state_.session);
    if (carryOver.Any())
        services_.messages.showMessage(CobIdCarryOverText(carryOver, CarryOverTime::AtNextShowing));
}

void CommSettingsLogic::SetDipSwitch(int port, bool set)
{
    Port(port).dipSwitch = set;
    Port(port).bitRateEnabled = !set;
}

void CommSettingsLogic::ChooseFormat(int port, bool formatB)
{
    ShowFormat(Port(port), formatB);
    ApplyPositiveRule();
}

void CommSettingsLogic::ApplyPositiveRule()
{
    const bool sameFormat = (can0.formatA && can1.formatA) || (can0.formatB && can1.formatB);
    if (sameFormat) {
        positiveEnabled = true;
    } else {
        positive = true;
        positiveEnabled = false;
    }
}

CommSettings CommSettingsLogic::Settings() const
{
    CommSettings settings;
    settings.bitRate0 = can0.bitRate;
    settings.bitRate1 = can1.bitRate;
    settings.format0 = can0.formatA ? 0 : 1;
    settings.format1 = can1.formatA ? 0 : 1;
    settings.positive = positive ? 1 : 0;
    settings.dipSwitch0 = can0.dipSwitch ? 1 : 0;
    settings.dipSwitch1 = can1.dipSwitch ? 1 : 0;
    return settings;
}

} // namespace c2c
