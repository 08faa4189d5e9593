// The system loader as the tests use it, on POSIX (dlopen) and on Windows
// (LoadLibraryA): open a library by path, find a name, close it, and say why
// an open failed.
#pragma once

#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace k7730::test {

#if defined(_WIN32)
inline constexpr char kLibraryExtension[] = ".dll";
inline constexpr char kModuleSeparator = '\\';

inline void* OpenLibrary(const std::string& path) { return reinterpret_cast<void*>(::LoadLibraryA(path.c_str())); }
inline void* LibrarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}
inline void CloseLibrary(void* library) { ::FreeLibrary(static_cast<HMODULE>(library)); }
inline std::string LibraryError() { return "LoadLibraryA failed, error " + std::to_string(::GetLastError()); }
inline unsigned long ProcessNumber() { return ::GetCurrentProcessId(); }
#else
inline constexpr char kLibraryExtension[] = ".so";
inline constexpr char kModuleSeparator = '/';

inline void* OpenLibrary(const std::string& path) { return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
inline void* LibrarySymbol(void* library, const char* name) { return ::dlsym(library, name); }
inline void CloseLibrary(void* library) { ::dlclose(library); }
inline std::string LibraryError() {
  const char* text = ::dlerror();
  return text == nullptr ? "dlopen failed" : text;
}
inline unsigned long ProcessNumber() { return static_cast<unsigned long>(::getpid()); }
#endif

template <typename F>
F Symbol(void* library, const char* name) {
  return library == nullptr ? nullptr : reinterpret_cast<F>(LibrarySymbol(library, name));
}

}  // namespace k7730::test
