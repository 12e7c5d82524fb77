#pragma once
// Communication settings: pargen.xml, the in-memory CommSession and the
// logic of the SET COMMUNICATION dialog.
//
// pargen.xml holds, under the root ParametriGenerali, seven text elements
// read by position: 0 Boud0, 1 Boud1, 2 Type, 3 Positive, 4 Baud_Dip_C0,
// 5 Baud_Dip_C1, 6 TypeC1 (optional: CAN 1 then follows CAN 0).

#include <array>
#include <cstdint>
#include <string>

namespace c2c {

class MessageService;

// Frame formats of the two ports (0 = CAN 2.0A, 1 = CAN 2.0B; a document may
// hold other numbers) and the Positive Implementation flag.
struct CommSession {
    std::int32_t CanType0 = 0;
    std::int32_t CanType1 = 0;
    bool PositiveImpl = false;
};

// The bit-rate list in kbit/s; documents store the index.
inline constexpr std::array<const char*, 9> kBitRates = {"10", "20", "50", "100", "125", "250", "500", "800", "1000"};

inline constexpr const char* kPargenRoot = "ParametriGenerali";
inline constexpr std::array<const char*, 7> kPargenElements = {"Boud0",       "Boud1",       "Type",  "Positive",
                                                               "Baud_Dip_C0", "Baud_Dip_C1", "TypeC1"};

// Fills `session` from pargen.xml. A missing file gives 0, 0, true; a broken
// document stops the reading silently, keeping the fields set before.
void LoadCommSession(const std::string& pargenFile, CommSession& session);

// The state of the SET COMMUNICATION dialog's controls, named after them,
// and its handlers. One instance lives for the whole run, so the state a
// showing leaves behind is what a new project receives.
struct CommSettingsDialog {
    // CAN 0
    bool ECB_Baud_Dip_C0 = false;
    int ComboBox1 = 5; // selected bit-rate index; -1 for no selection
    bool ComboBox1Enabled = true;
    bool RB_C0_TA = false;
    bool RB_C0_TB = false;
    // CAN 1
    bool ECB_Baud_Dip_C1 = false;
    int ComboBox2 = 5;
    bool ComboBox2Enabled = true;
    bool RB_C1_TA = false;
    bool RB_C1_TB = false;
    bool GroupBox2Visible = true;
    // Positive Implementation
    bool EwCheckBox2 = false;
    bool EwCheckBox2Enabled = true;

    // Fills the controls from pargen.xml and applies the enabling rules.
    // Messages: "File XML not found", "Error in reading file XML".
    void FormShow(const std::string& pargenFile, MessageService& messages);

    // OK: copies the controls into `session`, then writes pargen.xml.
    // `session` is updated even when the write fails (the Error propagates).
    void BitBtn1Click(const std::string& pargenFile, CommSession& session) const;

    // Dip-switch rule: a port's bit-rate list is disabled while its box is set.
    void ECB_Baud_Dip_C0Click();
    void ECB_Baud_Dip_C1Click();
    // Positive rule: the flag is free only when both ports have the same
    // frame format chosen; otherwise it is set and disabled.
    void RB_C0_TAClick();

    // Choosing a radio button clears its partner and runs the Positive rule.
    void ChooseCan0(bool formatB);
    void ChooseCan1(bool formatB);

    // The seven texts that OK writes, in document order.
    std::array<std::string, 7> DocumentValues() const;
};

// Writes the seven texts as pargen.xml, replacing the file atomically.
void WritePargenDocument(const std::string& pargenFile, const std::array<std::string, 7>& values);

} // namespace c2c
