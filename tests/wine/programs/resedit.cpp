// Replaces resources of a program file, to make test variants of the installer from the build:
//   resedit PROGRAM TYPE ID FILE [TYPE ID FILE ...]   TYPE is a name ("CAB", "CONFIG") or a number
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 5 || (argc - 2) % 3 != 0) {
    std::fprintf(stderr, "usage: resedit PROGRAM TYPE ID FILE [TYPE ID FILE ...]\n");
    return 2;
  }
  HANDLE update = BeginUpdateResourceA(argv[1], FALSE);
  if (!update) return 1;
  for (int i = 2; i + 2 < argc; i += 3) {
    std::ifstream in(argv[i + 2], std::ios::binary);
    if (!in) return 1;
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string data = bytes.str();
    const char* type = argv[i];
    const bool numeric = type[0] >= '0' && type[0] <= '9';
    if (!UpdateResourceA(update, numeric ? MAKEINTRESOURCEA(std::atoi(type)) : type,
                         MAKEINTRESOURCEA(std::atoi(argv[i + 1])), 0, data.data(),
                         static_cast<DWORD>(data.size())))
      return 1;
  }
  return EndUpdateResourceA(update, FALSE) ? 0 : 1;
}
