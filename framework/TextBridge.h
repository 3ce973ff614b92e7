#pragma once
// The one place where program text (code page 932 bytes) meets Windows
// (UTF-16).  Every call into a text-taking API converts here and uses the W
// form, so Japanese text is right whatever the system's ANSI code page is.
#include <windows.h>

#include <string>

constexpr UINT kProgramCodePage = 932;

std::wstring ToWide(const std::string& cp932);
std::wstring ToWide(const char* cp932);
// Unconvertible characters become '?'.
std::string ToCp932(const std::wstring& text);
std::string ToCp932(const wchar_t* text);
// Whether every character of `text` has a code page 932 form.
bool FitsCp932(const std::wstring& text);
// A path from the system as code page 932; when the path cannot be written
// in it, its short (8.3) form is used instead, so the path stays usable.
std::string PathToCp932(const std::wstring& path);

// Window text in and out.
bool SetWindowTextCp932(HWND hwnd, const std::string& text);
std::string GetWindowTextCp932(HWND hwnd);
