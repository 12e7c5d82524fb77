#include "documents/CommSettings.h"

#include "documents/IntegerText.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/UiServices.h"
#include "platform/XmlDocument.h"

namespace c2c {

namespace {

int ComboIndex(std::int32_t value)
{
    // An index outside the list shows no selection.
    return value >= 0 && value < static_cast<std::int32_t>(kBitRates.size()) ? value : -1;
}

} // namespace

void LoadCommSession(const std::string& pargenFile, CommSession& session)
{
    if (!FileExists(pargenFile)) {
        session.CanType0 = 0;
        session.CanType1 = 0;
        session.PositiveImpl = true;
        return;
    }
    try {
        pugi::xml_document document;
        LoadXmlFile(document, pargenFile);
        pugi::xml_node root = DocumentElement(document);
        session.CanType0 = ParseIntegerOr(ChildText(root, 2), 0);
        try {
            session.CanType1 = ParseIntegerOr(ChildText(root, 6), 0);
        } catch (const Error&) {
            session.CanType1 = session.CanType0;
        }
        session.PositiveImpl = ParseIntegerOr(ChildText(root, 3), 0) == 1;
    } catch (const Error&) {
        // A broken document keeps what was read so far, without a message.
    }
}

void CommSettingsDialog::FormShow(const std::string& pargenFile, MessageService& messages)
{
    GroupBox2Visible = true;
    if (!FileExists(pargenFile)) {
        messages.showMessage(kMsgXmlFileNotFound);
    } else {
        try {
            pugi::xml_document document;
            LoadXmlFile(document, pargenFile);
            pugi::xml_node root = DocumentElement(document);
            ComboBox1 = ComboIndex(ParseInteger(ChildText(root, 0)));
            ComboBox2 = ComboIndex(ParseInteger(ChildText(root, 1)));
            bool can0B = ParseIntegerOr(ChildText(root, 2), 0) != 0;
            RB_C0_TB = can0B;
            RB_C0_TA = !can0B;
            try {
                bool can1B = ParseIntegerOr(ChildText(root, 6), 0) != 0;
                RB_C1_TB = can1B;
                RB_C1_TA = !can1B;
            } catch (const Error&) {
                RB_C1_TA = RB_C0_TA;
                RB_C1_TB = !RB_C0_TA;
            }
            EwCheckBox2 = ParseIntegerOr(ChildText(root, 3), 0) == 1;
            ECB_Baud_Dip_C0 = ParseIntegerOr(ChildText(root, 4), 0) == 1;
            ECB_Baud_Dip_C0Click();
            ECB_Baud_Dip_C1 = ParseIntegerOr(ChildText(root, 5), 0) == 1;
            ECB_Baud_Dip_C1Click();
        } catch (const Error&) {
            messages.showMessage(kMsgXmlReadError);
        }
    }
    RB_C0_TAClick();
}

void CommSettingsDialog::BitBtn1Click(const std::string& pargenFile, CommSession& session) const
{
    session.CanType0 = RB_C0_TA ? 0 : 1;
    session.CanType1 = RB_C1_TA ? 0 : 1;
    session.PositiveImpl = EwCheckBox2;
    WritePargenDocument(pargenFile, DocumentValues());
}

void CommSettingsDialog::ECB_Baud_Dip_C0Click()
{
    ComboBox1Enabled = !ECB_Baud_Dip_C0;
}

void CommSettingsDialog::ECB_Baud_Dip_C1Click()
{
    ComboBox2Enabled = !ECB_Baud_Dip_C1;
}

void CommSettingsDialog::RB_C0_TAClick()
{
    bool sameFormat = (RB_C0_TA && RB_C1_TA) || (RB_C0_TB && RB_C1_TB);
    if (sameFormat) {
        EwCheckBox2Enabled = true;
    } else {
        EwCheckBox2 = true;
        EwCheckBox2Enabled = false;
    }
}

void CommSettingsDialog::ChooseCan0(bool formatB)
{
    RB_C0_TB = formatB;
    RB_C0_TA = !formatB;
    RB_C0_TAClick();
}

void CommSettingsDialog::ChooseCan1(bool formatB)
{
    RB_C1_TB = formatB;
    RB_C1_TA = !formatB;
    RB_C0_TAClick();
}

std::array<std::string, 7> CommSettingsDialog::DocumentValues() const
{
    auto flag = [](bool set) { return std::string(set ? "1" : "0"); };
    return {std::to_string(ComboBox1),
            std::to_string(ComboBox2),
            RB_C0_TA ? "0" : "1",
            flag(EwCheckBox2),
            flag(ECB_Baud_Dip_C0),
            flag(ECB_Baud_Dip_C1),
            RB_C1_TA ? "0" : "1"};
}

void WritePargenDocument(const std::string& pargenFile, const std::array<std::string, 7>& values)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child(kPargenRoot);
    for (std::size_t i = 0; i < values.size(); ++i)
        AppendTextElement(root, kPargenElements[i], values[i]);
    SaveXmlFile(document, pargenFile);
}

} // namespace c2c
