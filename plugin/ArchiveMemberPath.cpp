#include "plugin/ArchiveMemberPath.h"

#include "util/PathPieces.h"

ArchiveMemberPath SplitArchiveMemberPath(const std::string& path) {
    ArchiveMemberPath parts;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = path[i];
        if (IsCp932LeadByte(c) && i + 1 < path.size()) {
            ++i;
        } else if (c == '|') {
            parts.archive = path.substr(0, i);
            parts.member = path.substr(i + 1);
            parts.hasBar = true;
            return parts;
        }
    }
    parts.archive = path;
    return parts;
}

std::string MakeArchiveMemberPath(const std::string& archive, const std::string& member) {
    return archive + "|" + member;
}
