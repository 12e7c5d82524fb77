#include "dialogs/AddRowsLogic.h"

#include "platform/Error.h"

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

std::string Quoted(const std::string& text)
{
    return QuotedValue(text);
}

} // namespace

const std::vector<AddRowsServiceBox>& AddRowsServiceBoxes()
{
    static const std::vector<AddRowsServiceBox> boxes = {
        {"EMCY", Services({kEmcy})},           {"TPDO1", Services({kTpdo1})},
        {"TPDO2", Services({kTpdo2})},         {"TPDO3", Services({kTpdo3})},
        {"TPDO4", Services({kTpdo4})},         {"RPDO1", Services({kRpdo1})},
        {"RPDO2", Services({kRpdo2})},         {"RPDO3", Services({kRpdo3})},
        {"RPDO4", Services({kRpdo4})},         {"SDO", Services({kSdoRequest, kSdoResponse})},
        {"Heartbeat", Services({kHeartbeat})},
    };
    return boxes;
}

AddRowsLogic::AddRowsLogic(const CobIdTables& tables, const CommSession& session, UiServices services,
                           std::string folder)
    : tables_(tables), session_(session), services_(services), folder_(std::move(folder))
{
}

std::variant<CobIdRule, std::string> AddRowsLogic::Rule() const
{
    const std::string identifiers = " (decimal, or hexadecimal after 0x, $ or x; 0 to 0x1FFFFFFF)";
    switch (kind) {
    case kAddNode: {
        std::optional<int> n, m;
        if (!ReadOptional(node, ParseNodeId, n))
            return "The node's ID " + Quoted(node) + " is no node ID (1 to 127).";
        if (!ReadOptional(nodeAs, ParseNodeId, m))
            return "The node's ID on the other port " + Quoted(nodeAs) + " is no node ID (1 to 127).";
        if (!nodeFile.empty())
            return DescribedNodeRule{nodeFile, n, nodePort, m};
        if (!n)
            return "Type the node's ID (1 to 127), or choose its EDS or DCF.";
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
        if (!ReadOptional(rangeTo, ParseRuleIdentifier, rule.newFirst))
            return "The new first identifier " + Quoted(rangeTo) + " is no identifier" + identifiers + ".";
        return rule;
    }
    case kAddIdentifier: {
        const auto original = ParseRuleIdentifier(identifier);
        if (!original)
            return "Type the identifier" + identifiers + ".";
        IdentifierRule rule{identifierTable, *original, std::nullopt};
        if (!ReadOptional(identifierTo, ParseRuleIdentifier, rule.modified))
            return "The new identifier " + Quoted(identifierTo) + " is no identifier" + identifiers + ".";
        return rule;
    }
    default:
        return NetworkRule{nmt, sync, time, networkPort};
    }
}

AddRowsLogic::Preview AddRowsLogic::Refresh()
{
    addition_.reset();
    const auto rule = Rule();
    if (const auto* problem = std::get_if<std::string>(&rule))
        return {{*problem}, false};
    try {
        addition_ = PlanCobIdAddition(tables_, session_, ExpandRule(std::get<CobIdRule>(rule)));
    } catch (const std::exception& error) {
        // A file that cannot be read or is broken: said here, nothing added.
        return {{"Nothing can be added: " + GeneralErrorText(error.what())}, false};
    }
    return {CobIdAdditionLines(*addition_), addition_->Accepted()};
}

bool AddRowsLogic::BrowseFile()
{
    const auto path =
        services_.files.pickFile(kPickDescriptionCaption, folder_, kDescriptionFilter, kDescriptionPattern);
    if (!path)
        return false;
    nodeFile = *path;
    return true;
}

std::optional<CobIdAddition> AddRowsLogic::Add() const
{
    if (!addition_ || !addition_->Accepted())
        return std::nullopt;
    return addition_;
}

} // namespace c2c
