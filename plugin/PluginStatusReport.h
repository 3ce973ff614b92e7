#pragma once
// The plain-text status report of one plug-in: what it says about itself,
// which of the nine Susie exports it has, and its version strings.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct PluginStatusData {
    std::string modulePath;
    std::string apiVersion;
    std::string description;
    std::vector<std::string> patterns;   // one per support entry
    std::vector<std::string> typeNames;  // one per support entry
    // GetPluginInfo ... ConfigurationDlg; 0 for a missing export.
    std::array<uint32_t, 9> entryPoints{};
    // (key, value) pairs in the order of kVersionKeys.
    std::vector<std::pair<std::string, std::string>> versionValues;
};

// The version-resource keys the report shows, in order.
extern const char* const kVersionKeys[9];

// The report with line breaks as CR LF; it ends with a line break and one blank.
std::string FormatPluginStatus(const PluginStatusData& data);

// Every lone line feed becomes CR LF.
std::string ToCrLf(const std::string& text);
