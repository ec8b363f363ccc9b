// The runtime's pseudo-relocation routine patches imported data that code reached without
// __declspec(dllimport). The link refuses any such reference (--disable-auto-import), so there is
// never anything to patch, and nothing here calls the routine; the runtime's own version would
// cost 2.5 KB with its section lookup. GNU ld 2.40 still wants one in a link-time optimised program
// and crashes on this one without it. Found by trial: it links when the routine comes from an
// archive behind the system libraries and the routine's first import is a function the optimised
// code does not call itself; placed earlier on the command line, or naming first a function the
// program calls anyway, it crashes the linker all the same. VirtualProtect is the call a real
// relocator makes first.
#include <windows.h>

extern "C" void _pei386_runtime_relocator() {
  DWORD former;
  VirtualProtect(nullptr, 0, PAGE_READWRITE, &former);
}
