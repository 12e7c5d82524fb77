#include "dialogs/AddRowsLogic.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <exception>

namespace c2c {

namespace {

NodeServices Services(std::initializer_list<std::size_t> services)
{
    NodeServices set;
    for (std::size_t service : services)
        set.set(service);
    return set;
}

// An optional field: nothing when empty, else the parsed value or an error.
template <typename Value, typename Parse>
bool ReadOptional(const std::string& text, Parse parse, std::optional<Value>& value)
{
    if (text.empty())
        return true;
    value = parse(text);
    return value.has_value();
}

} // namespace

const std::vector<AddRowsServiceBox>& AddRowsServiceBoxes()
{
    // One box per service, in the table's order, but one "SDO" for both.
    static const std::vector<AddRowsServiceBox> boxes = [] {
        std::vector<AddRowsServiceBox> list;
        for (std::size_t s = 0; s < kNodeServiceCount; ++s) {
            const auto service = static_cast<NodeService>(s);
            if (service == kSdoRequest)
                continue;
            if (service == kSdoResponse)
                list.push_back({"SDO", Services({kSdoRequest, kSdoResponse})});
            else
                list.push_back({FactOf(service).name, Services({s})});
        }
        return list;
    }();
    return boxes;
}

AddRowsLogic::AddRowsLogic(const CobIdTables& tables, const CommSession& session, UiServices services,
                           std::string folder)
    : tables_(tables), session_(session), services_(services), folder_(std::move(folder))
{
}

std::variant<CobIdRule, std::string> AddRowsLogic::Rule() const
{
    const std::string identifiers =
        " (decimal, or hexadecimal after 0x, $ or x; 0 to " + IdentifierText(kMaxExtendedId) + ")";
    const std::string nodeIds = " (" + NodeIdRangeText() + ")";
    switch (kind) {
    case kAddNode: {
        std::optional<int> n, m;
        if (!ReadOptional(node, ParseNodeId, n))
            return "The node's ID " + QuotedValue(node) + " is no node ID" + nodeIds + ".";
        if (!ReadOptional(nodeAs, ParseNodeId, m))
            return "The node's ID on the other port " + QuotedValue(nodeAs) + " is no node ID" + nodeIds + ".";
        if (!nodeFile_.empty()) {
            if (fileError_)
                return "Nothing can be added: " + GeneralErrorText(*fileError_);
            // The text read when the file was chosen; a broken file throws.
            return DescribedNodeRule{ParseDeviceDescription(fileText_, nodeFile_, n), nodeFile_, nodePort, m};
        }
        if (!n)
            return "Type the node's ID" + nodeIds + ", or choose its EDS or DCF.";
        NodeRule rule{*n, nodePort, m, NodeServices()};
        for (std::size_t i = 0; i < serviceBoxes.size(); ++i)
            if (serviceBoxes[i])
                rule.services |= AddRowsServiceBoxes()[i].services;
        return rule;
    }
    case kAddRange: {
        const auto bounds = ParseIdentifierRange(range);
        if (!bounds)
            return "Type the range as FIRST-LAST, FIRST not above LAST" + identifiers + ".";
        RangeRule rule{rangeTable, bounds->first, bounds->second, std::nullopt};
        if (!ReadOptional(rangeTo, ParseCanIdentifier, rule.newFirst))
            return "The new first identifier " + QuotedValue(rangeTo) + " is no identifier" + identifiers + ".";
        return rule;
    }
    case kAddIdentifier: {
        const auto original = ParseCanIdentifier(identifier);
        if (!original)
            return "Type the identifier" + identifiers + ".";
        IdentifierRule rule{identifierTable, *original, std::nullopt};
        if (!ReadOptional(identifierTo, ParseCanIdentifier, rule.modified))
            return "The new identifier " + QuotedValue(identifierTo) + " is no identifier" + identifiers + ".";
        return rule;
    }
    default:
        return NetworkRule{nmt, sync, time, networkPort};
    }
}

AddRowsLogic::Preview AddRowsLogic::Refresh()
{
    addition_.reset();
    std::variant<CobIdRule, std::string> rule;
    try {
        rule = Rule();
    } catch (const std::exception& error) {
        // A broken file: said here, nothing added.
        return {{"Nothing can be added: " + GeneralErrorText(error.what())}, false};
    }
    if (const auto* problem = std::get_if<std::string>(&rule))
        return {{*problem}, false};
    addition_ = PlanCobIdAddition(tables_, session_, ExpandRule(std::get<CobIdRule>(rule)));
    return {CobIdAdditionLines(*addition_), addition_->Accepted()};
}

bool AddRowsLogic::BrowseFile()
{
    const auto path =
        services_.files.pickFile(kPickDescriptionCaption, folder_, kDescriptionFilter, kDescriptionPattern);
    if (!path)
        return false;
    folder_ = FolderOf(*path);
    ChooseFile(*path);
    return true;
}

void AddRowsLogic::ChooseFile(std::string path)
{
    nodeFile_ = std::move(path);
    ReloadFile();
}

void AddRowsLogic::ReloadFile()
{
    fileText_.clear();
    fileError_.reset();
    if (nodeFile_.empty())
        return;
    try {
        fileText_ = ReadWholeFile(nodeFile_, kMaxDescriptionSize);
    } catch (const std::exception& error) {
        fileError_ = error.what();
    }
}

void AddRowsLogic::ClearFile()
{
    ChooseFile({});
}

std::optional<CobIdAddition> AddRowsLogic::Add() const
{
    if (!addition_ || !addition_->Accepted())
        return std::nullopt;
    return addition_;
}

} // namespace c2c
