// Replaces resources of a program file, to make test variants of the installer from the build:
//   resedit PROGRAM TYPE ID FILE [TYPE ID FILE ...]   TYPE is a name ("CAB", "CONFIG") or a number;
//   an empty FILE removes that resource (the worker then writes a cabinet of length 0)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A resource name or type as the update functions take it: a number or a text.
struct Key {
  bool numeric = false;
  WORD number = 0;
  std::string text;
  explicit Key(LPCSTR name) {
    if (IS_INTRESOURCE(name)) {
      numeric = true;
      number = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    } else if (name[0] >= '0' && name[0] <= '9') {
      numeric = true;
      number = static_cast<WORD>(std::atoi(name));
    } else {
      text = name;
    }
  }
  LPCSTR get() const { return numeric ? MAKEINTRESOURCEA(number) : text.c_str(); }
  bool operator==(const Key& other) const {
    return numeric == other.numeric && number == other.number && text == other.text;
  }
};

struct Resource {
  Key type, name;
  WORD language;
  std::string bytes;
};

std::vector<Resource> existing;

BOOL CALLBACK OnLanguage(HMODULE module, LPCSTR type, LPCSTR name, WORD language, LONG_PTR) {
  HRSRC found = FindResourceExA(module, type, name, language);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
  existing.push_back({Key(type), Key(name), language,
                      std::string(bytes, SizeofResource(module, found))});
  return TRUE;
}
BOOL CALLBACK OnName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR) {
  return EnumResourceLanguagesA(module, type, name, OnLanguage, 0);
}
BOOL CALLBACK OnType(HMODULE module, LPSTR type, LONG_PTR) {
  return EnumResourceNamesA(module, type, OnName, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5 || (argc - 2) % 3 != 0) {
    std::fprintf(stderr, "usage: resedit PROGRAM TYPE ID FILE [TYPE ID FILE ...]\n");
    return 2;
  }
  HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return 1;
  EnumResourceTypesA(module, OnType, 0);
  FreeLibrary(module);

  std::vector<Resource> wanted;
  for (int i = 2; i + 2 < argc; i += 3) {
    std::ifstream in(argv[i + 2], std::ios::binary);
    if (!in) return 1;
    std::stringstream bytes;
    bytes << in.rdbuf();
    wanted.push_back({Key(argv[i]), Key(argv[i + 1]), 0, bytes.str()});
  }
  // Written anew from nothing, so that a resource can also be left out.
  HANDLE update = BeginUpdateResourceA(argv[1], TRUE);
  if (!update) return 1;
  auto write = [&](const Resource& resource) {
    return UpdateResourceA(update, resource.type.get(), resource.name.get(), resource.language,
                           const_cast<char*>(resource.bytes.data()),
                           static_cast<DWORD>(resource.bytes.size())) != 0;
  };
  for (const Resource& resource : existing) {
    bool replaced = false;
    for (const Resource& replacement : wanted)
      replaced |= replacement.type == resource.type && replacement.name == resource.name;
    if (!replaced && !write(resource)) return 1;
  }
  for (const Resource& resource : wanted)
    if (!resource.bytes.empty() && !write(resource)) return 1;
  return EndUpdateResourceA(update, FALSE) ? 0 : 1;
}
