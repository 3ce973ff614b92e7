#include "plugin/PluginStatusReport.h"

#include <cstdio>

const char* const kVersionKeys[9] = {
    "CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
    "OriginalFilename", "ProductName", "ProductVersion", "Comments",
};

namespace {

std::string Join(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += separator;
        out += parts[i];
    }
    return out;
}

std::string Hex8(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08x", static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::string FormatPluginStatus(const PluginStatusData& data) {
    static const char* const kExportLabels[9] = {
        "GetPluginInfo", "IsSupported", "GetPictureInfo", "GetPicture", "GetPreview",
        "GetArchiveInfo", "GetFileInfo", "GetFile", "ConfigurationDlg",
    };
    // Plug-in texts can be any length, so the report is put together piece
    // by piece rather than through a fixed-size format buffer.
    std::string r;
    r += " [Plugin Data]\n";
    r += " Plugin Name : " + data.modulePath + " \n";
    r += " Plugin Type : " + data.apiVersion + "\n";
    r += " Plugin Desc. : " + data.description + "\n";
    r += " Support Ext(s) : " + Join(data.patterns, " / ") + "\n";
    r += " Support Type(s) : " + Join(data.typeNames, " / ") + "\n";
    r += " \n";
    r += " [Susie-API func. addr.]\n";
    for (size_t i = 0; i < 9; ++i) r += std::string(" ") + kExportLabels[i] + " : " + Hex8(data.entryPoints[i]) + " \n";
    r += " \n";
    r += " [Version Data]\n";
    for (size_t i = 0; i < 9; ++i) {
        std::string key = kVersionKeys[i], value;
        if (i < data.versionValues.size()) {
            key = data.versionValues[i].first;
            value = data.versionValues[i].second;
        }
        r += " " + key + " : " + value + "\n";
    }
    r += " ";
    return ToCrLf(r);
}

std::string ToCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}
