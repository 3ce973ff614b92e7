#include "util/PathPieces.h"

bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':' && !IsCp932LeadByte(path[0])) {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    // One walk finds the last separator and the last dot, character by character.
    size_t lastSep = std::string::npos, lastDot = std::string::npos;
    for (size_t i = start; i < path.size(); ++i) {
        unsigned char c = path[i];
        if (IsCp932LeadByte(c) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/') {
            lastSep = i;
            lastDot = std::string::npos;
        } else if (c == '.') {
            lastDot = i;
        }
    }
    size_t nameStart = start;
    if (lastSep != std::string::npos) {
        parts.directory = path.substr(start, lastSep + 1 - start);
        nameStart = lastSep + 1;
    }
    if (lastDot != std::string::npos) {
        parts.name = path.substr(nameStart, lastDot - nameStart);
        parts.extension = path.substr(lastDot);
    } else {
        parts.name = path.substr(nameStart);
    }
    return parts;
}

std::string FileNameOf(const std::string& path) {
    PathParts p = SplitPath(path);
    return p.name + p.extension;
}

std::string ExtensionOf(const std::string& path) {
    return SplitPath(path).extension;
}

std::string LowerCp932(const std::string& text) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = out[i];
        if (IsCp932LeadByte(c) && i + 1 < out.size()) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::vector<std::string> SplitCp932(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::string piece;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsCp932LeadByte(text[i]) && i + 1 < text.size()) {
            piece += text.substr(i++, 2);
        } else if (text[i] == separator) {
            if (!piece.empty()) pieces.push_back(piece);
            piece.clear();
        } else {
            piece += text[i];
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}
