#pragma once
// Small helpers shared by the Windows benchmark programs.
#include <windows.h>

#include <string>

namespace bench {

// Milliseconds from the performance counter.
inline double nowMs() {
  static const double perMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / perMs;
}

// UTF-8 for the printed figures.
inline std::string narrow(const std::wstring& s) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(std::char_traits<char>::length(out.c_str()));
  return out;
}

}  // namespace bench
