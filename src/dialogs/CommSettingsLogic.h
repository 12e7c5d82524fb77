#pragma once
// The SET COMMUNICATION window's logic: each port's bit rate (or the dip
// switch), its frame format, and the Positive Implementation flag.
//
// One instance lives for the whole run, so the state a showing leaves
// behind is what a new project's pargen.xml receives.

#include "documents/CommSettings.h"
#include "platform/UiServices.h"

namespace c2c {

struct ProgramState;

inline constexpr const char* kCommSettingsCaption = "SET COMMUNICATION";
// Messages of a showing whose document cannot be read.
inline constexpr const char* kMsgXmlFileNotFound = "File XML not found";
inline constexpr const char* kMsgXmlReadError = "Error in reading file XML";

// The controls of one port.
struct PortControls {
    bool dipSwitch = false; // "Baud rate set in Dip Switch"
    int bitRate = 5;        // selected index into kBitRates; -1 for no selection
    bool bitRateEnabled = true;
    bool formatA = false; // "CAN 2.0A"
    bool formatB = false; // "CAN 2.0B"
};

class CommSettingsLogic {
public:
    CommSettingsLogic(ProgramState& state, UiServices services);

    PortControls can0;
    PortControls can1;
    bool can1Visible = true;
    bool positive = false; // "Positive Implementation"
    bool positiveEnabled = true;

    PortControls& Port(int port) { return port == 1 ? can1 : can0; }

    // Fills the controls from the open project's pargen.xml and applies the
    // rules. Messages: "File XML not found", "Error in reading file XML"
    // (the values read before the failure are shown).
    void Show();

    // OK: the controls become the session's formats, then pargen.xml is
    // written. The session changes even when the write fails (the Error
    // propagates and the window stays open). When the new formats shorten
    // the CobID tables and CanCanCobID.xml holds filled rows beyond them, a
    // message says what Set CobID Access will do with those rows.
    void Ok();

    // Dip-switch rule: a port's bit-rate list is disabled while its box is set.
    void SetDipSwitch(int port, bool set);
    void ChooseBitRate(int port, int index) { Port(port).bitRate = index; }
    // Choosing a format clears its partner and runs the Positive rule.
    void ChooseFormat(int port, bool formatB);
    void SetPositive(bool set) { positive = set; }

    // The values OK writes. A port with no format chosen counts as 2.0B.
    CommSettings Settings() const;

    const UiServices& Services() const { return services_; }

private:
    // Positive rule: the flag is free only when both ports have the same
    // frame format chosen; otherwise it is set and disabled.
    void ApplyPositiveRule();
    // Fills the controls from a document that is there, in document order;
    // false at the first value that cannot be read.
    bool ShowReading(const PargenReading& reading);

    ProgramState& state_;
    UiServices services_;
};

} // namespace c2c
