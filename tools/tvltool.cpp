// tvltool: inspect and make Tavrin list files.
//   tvltool dump FILE   one entry a line, every field of it (UTF-8):
//                       name<TAB>path<TAB>style<TAB>in-use<TAB>reserved text<TAB>reserved 1<TAB>reserved 2
//   tvltool make FILE   reads such lines (UTF-8) on standard input, writes FILE (code page 932);
//                       lines of the first four fields only (older dumps) are accepted too
// A dump made into a list again gives the same bytes, so a dump is a backup.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "list/ListFileCodec.h"
#include "util/Cp932Convert.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
using NativeString = std::wstring;
FILE* OpenFile(const NativeString& path, const char* mode) {
    std::wstring wmode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wmode.c_str());
}
bool ReplaceFile(const NativeString& from, const NativeString& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
void RemoveFile(const NativeString& path) { _wremove(path.c_str()); }
std::string Printable(const NativeString& path) {
    int n = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}
#else
using NativeString = std::string;
FILE* OpenFile(const NativeString& path, const char* mode) { return std::fopen(path.c_str(), mode); }
bool ReplaceFile(const NativeString& from, const NativeString& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
void RemoveFile(const NativeString& path) { std::remove(path.c_str()); }
std::string Printable(const NativeString& path) { return path; }
#endif

int Fail(const std::string& message) {
    std::fprintf(stderr, "tvltool: %s\n", message.c_str());
    return 1;
}

bool ReadAll(FILE* f, std::string* out) {
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) out->append(buf, n);
    return !std::ferror(f);
}

int Dump(const NativeString& path) {
    FILE* f = OpenFile(path, "rb");
    if (!f) return Fail("cannot open " + Printable(path) + ": " + std::strerror(errno));
    std::string bytes;
    bool ok = ReadAll(f, &bytes);
    std::fclose(f);
    if (!ok) return Fail("cannot read " + Printable(path));

    WallPaperEntries entries;
    ListDecodeResult r = DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, &entries);
    if (r == ListDecodeResult::OutOfMemory) return Fail(Printable(path) + ": out of memory");
    if (r != ListDecodeResult::Ok) return Fail(Printable(path) + ": not a valid list file (format fault)");

    std::string out;
    for (size_t i = 0; i < entries.size(); ++i) {
        const CWallPaperData& e = *entries[i];
        std::string name, file, reserved;
        if (!Cp932ToUtf8(e.m_strName, &name) || !Cp932ToUtf8(e.m_strPath, &file) ||
            !Cp932ToUtf8(e.m_strReserved, &reserved))
            return Fail("entry " + std::to_string(i + 1) + ": text is not valid code page 932");
        for (const std::string* text : {&name, &file, &reserved})
            if (text->find_first_of("\t\r\n") != std::string::npos)
                return Fail("entry " + std::to_string(i + 1) + ": a tab or line break in the text cannot be dumped");
        out += name + "\t" + file + "\t" + std::to_string(e.m_nStyle) + "\t" + (e.m_bInUse ? "1" : "0") + "\t" +
               reserved + "\t" + std::to_string(e.m_nReserved1) + "\t" + std::to_string(e.m_nReserved2) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

bool ParseInt32(const std::string& text, int32_t* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno || *end || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int32_t>(v);
    return true;
}

int Make(const NativeString& path) {
    std::string input;
    if (!ReadAll(stdin, &input)) return Fail("cannot read standard input");
    WallPaperEntries entries;
    size_t lineNo = 0, pos = 0;
    while (pos < input.size()) {
        size_t end = input.find('\n', pos);
        std::string line = input.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? input.size() : end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> fields;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        std::string where = "line " + std::to_string(lineNo) + ": ";
        if (fields.size() != 4 && fields.size() != 7)
            return Fail(where + "expected 7 tab-separated fields (name, path, style, in-use, reserved text, "
                                "reserved 1, reserved 2) or the first 4 of them, found " +
                        std::to_string(fields.size()));
        auto entry = std::make_unique<CWallPaperData>();
        if (!Utf8ToCp932(fields[0], &entry->m_strName)) return Fail(where + "name has no code page 932 form");
        if (!Utf8ToCp932(fields[1], &entry->m_strPath)) return Fail(where + "path has no code page 932 form");
        if (!ParseInt32(fields[2], &entry->m_nStyle)) return Fail(where + "style must be a whole number (0 to 4)");
        if (fields[3] != "0" && fields[3] != "1") return Fail(where + "in-use must be 0 or 1");
        entry->m_bInUse = fields[3] == "1";
        if (fields.size() == 7) {
            if (!Utf8ToCp932(fields[4], &entry->m_strReserved))
                return Fail(where + "reserved text has no code page 932 form");
            if (!ParseInt32(fields[5], &entry->m_nReserved1) || !ParseInt32(fields[6], &entry->m_nReserved2))
                return Fail(where + "reserved numbers must be whole numbers");
        }
        entries.push_back(std::move(entry));
    }

    std::string bytes = EncodeListFile(entries);
    NativeString temp = path;
    temp += static_cast<NativeString::value_type>('.');
    for (const char* s = "tmp~"; *s; ++s) temp += static_cast<NativeString::value_type>(*s);
    FILE* f = OpenFile(temp, "wb");
    if (!f) return Fail("cannot write " + Printable(temp) + ": " + std::strerror(errno));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || !ReplaceFile(temp, path)) {
        RemoveFile(temp);
        return Fail("cannot write " + Printable(path));
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: tvltool dump FILE   print the entries, one a line (UTF-8):\n"
                 "                           name<TAB>path<TAB>style<TAB>in-use<TAB>reserved text<TAB>reserved 1"
                 "<TAB>reserved 2\n"
                 "       tvltool make FILE   write FILE from such lines read on standard input\n"
                 "                           (lines of the first four fields are accepted too)\n");
    return 2;
}

template <typename Char>
int Main(int argc, Char** argv) {
    if (argc != 3) return Usage();
    NativeString command(argv[1]), file(argv[2]);
    NativeString dump, make;
    for (const char* s = "dump"; *s; ++s) dump += static_cast<typename NativeString::value_type>(*s);
    for (const char* s = "make"; *s; ++s) make += static_cast<typename NativeString::value_type>(*s);
    if (command == dump) return Dump(file);
    if (command == make) return Make(file);
    return Usage();
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    return Main(argc, argv);
}
#else
int main(int argc, char** argv) { return Main(argc, argv); }
#endif
