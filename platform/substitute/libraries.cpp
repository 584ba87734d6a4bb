#include "platform/substitute/libraries.h"

#include <cctype>
#include <cstring>
#include <string_view>

namespace deskflip::substitute {
namespace {

bool sameLibraryName(std::string_view requested, std::string_view known) {
  constexpr std::string_view kDllSuffix = ".dll";
  auto withoutSuffix = [&](std::string_view name) {
    if (name.size() >= kDllSuffix.size()) {
      std::string_view tail = name.substr(name.size() - kDllSuffix.size());
      bool isSuffix = true;
      for (std::size_t i = 0; i < tail.size(); ++i) {
        isSuffix = isSuffix && std::tolower(static_cast<unsigned char>(tail[i])) == kDllSuffix[i];
      }
      if (isSuffix) name.remove_suffix(kDllSuffix.size());
    }
    return name;
  };
  requested = withoutSuffix(requested);
  known = withoutSuffix(known);
  if (requested.size() != known.size()) return false;
  for (std::size_t i = 0; i < known.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(requested[i])) != std::tolower(static_cast<unsigned char>(known[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

NativeEntry findFunction(const char* library, const char* function) {
  struct Library {
    const char* name;
    std::span<const SubstituteFunction> (*functions)();
  };
  static constexpr Library kLibraries[] = {{"kernel32", &kernel32Functions}, {"user32", &user32Functions}};
  for (const Library& known : kLibraries) {
    if (!sameLibraryName(library, known.name)) continue;
    for (const SubstituteFunction& candidate : known.functions()) {
      if (std::strcmp(candidate.name, function) == 0) return candidate.entry;
    }
    return nullptr;
  }
  return nullptr;
}

}  // namespace deskflip::substitute
