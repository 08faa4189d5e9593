#include "platform/path_utils.h"

#include <cstring>

#include "platform/platform.h"

namespace k7730 {

using platform::kMaxPath;
using platform::kPathSeparator;

const char* PathFileName(const char* path) {
  if (path == nullptr) return nullptr;
  const char* last = std::strrchr(path, kPathSeparator);
  return last == nullptr ? path : last + 1;
}

char* PathFileName(char* path) {
  return const_cast<char*>(PathFileName(static_cast<const char*>(path)));
}

void PathCutLastComponent(char* path) {
  if (path == nullptr) return;
  char* last = std::strrchr(path, kPathSeparator);
  if (last != nullptr) *last = '\0';
}

void StrLower(char* text) {
  if (text == nullptr) return;
  for (; *text != '\0'; ++text) {
    if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
  }
}

int HasExtension(const char* path, const char* extension) {
  if (path == nullptr || extension == nullptr) return 0;
  const char* dot = std::strrchr(path, '.');
  if (dot == nullptr || dot == path || dot[1] == '\0') return 0;
  char found[4] = {};
  char wanted[4] = {};
  std::strncpy(found, dot + 1, 3);
  std::strncpy(wanted, extension, 3);
  StrLower(found);
  StrLower(wanted);
  return std::strcmp(found, wanted) == 0 ? 1 : 0;
}

void GetModuleFolder(char* buffer) {
  if (buffer == nullptr) return;
  if (!platform::ModuleFilePath(buffer, kMaxPath)) {
    buffer[0] = '\0';
    return;
  }
  PathCutLastComponent(buffer);
}

bool JoinModuleFile(const char* folder, const char* name, char* field) {
  field[0] = '\0';
  const std::size_t folderLength = std::strlen(folder);
  const std::size_t nameLength = std::strlen(name);
  if (folderLength + 1 + nameLength + 1 > kMaxPath) return false;
  std::memcpy(field, folder, folderLength);
  field[folderLength] = kPathSeparator;
  std::memcpy(field + folderLength + 1, name, nameLength + 1);
  return true;
}

std::size_t BoundedLength(const char* text, std::size_t field) {
  const void* end = std::memchr(text, '\0', field);
  return end == nullptr ? field : static_cast<std::size_t>(static_cast<const char*>(end) - text);
}

void CopyPathField(char* to, const char* from) {
  const std::size_t length = from == nullptr ? 0 : BoundedLength(from, kMaxPath - 1);
  if (length > 0) std::memmove(to, from, length);
  to[length] = '\0';
}

}  // namespace k7730
