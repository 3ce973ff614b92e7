#include "util/Cp932Convert.h"

#ifdef _WIN32
#include <windows.h>

namespace {
bool ToWide(UINT cp, const std::string& in, std::wstring* out) {
    out->clear();
    if (in.empty()) return true;
    int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, in.data(), (int)in.size(), nullptr, 0);
    if (n <= 0) return false;
    out->resize(n);
    return MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, in.data(), (int)in.size(), &(*out)[0], n) == n;
}
bool FromWide(UINT cp, const std::wstring& in, std::string* out, bool strict) {
    out->clear();
    if (in.empty()) return true;
    BOOL lossy = FALSE;
    BOOL* lossyArg = (cp == CP_UTF8) ? nullptr : &lossy;
    DWORD flags = (cp == CP_UTF8) ? 0 : WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(cp, flags, in.data(), (int)in.size(), nullptr, 0, nullptr, lossyArg);
    if (n <= 0) return false;
    out->resize(n);
    if (WideCharToMultiByte(cp, flags, in.data(), (int)in.size(), &(*out)[0], n, nullptr, lossyArg) != n)
        return false;
    return !(strict && lossy);
}
}  // namespace

bool Cp932ToUtf8(const std::string& cp932, std::string* utf8) {
    std::wstring w;
    return ToWide(932, cp932, &w) && FromWide(CP_UTF8, w, utf8, true);
}

bool Utf8ToCp932(const std::string& utf8, std::string* cp932) {
    std::wstring w;
    return ToWide(CP_UTF8, utf8, &w) && FromWide(932, w, cp932, true);
}

std::string Utf16ToCp932Lossy(const std::u16string& units) {
    std::wstring w(units.begin(), units.end());
    std::string out;
    FromWide(932, w, &out, false);
    return out;
}

#else
#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {
// Converts with iconv; `lossy` replaces each unconvertible input unit by '?'.
bool Convert(const char* to, const char* from, const char* data, size_t size, size_t unit,
             bool lossy, std::string* out) {
    out->clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return false;
    std::vector<char> buf(size * 4 + 16);
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    bool ok = true;
    while (inLeft > 0) {
        char* o = buf.data();
        size_t oLeft = buf.size();
        size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out->append(buf.data(), o - buf.data());
        if (r == (size_t)-1) {
            if (errno == E2BIG) continue;
            if (!lossy) { ok = false; break; }
            out->push_back('?');
            size_t skip = inLeft < unit ? inLeft : unit;
            in += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return ok;
}
}  // namespace

bool Cp932ToUtf8(const std::string& cp932, std::string* utf8) {
    return Convert("UTF-8", "CP932", cp932.data(), cp932.size(), 1, false, utf8);
}

bool Utf8ToCp932(const std::string& utf8, std::string* cp932) {
    return Convert("CP932", "UTF-8", utf8.data(), utf8.size(), 1, false, cp932);
}

std::string Utf16ToCp932Lossy(const std::u16string& units) {
    std::string out;
    Convert("CP932", "UTF-16LE", reinterpret_cast<const char*>(units.data()), units.size() * 2, 2,
            true, &out);
    return out;
}
#endif
