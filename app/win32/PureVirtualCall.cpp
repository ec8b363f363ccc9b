// A call through an object whose class is still abstract; the vtables of abstract classes name
// this function. The library's own prints a message and calls std::terminate, and lld, which
// keeps every section of a library object it links (GNU ld's script drops their unwind tables),
// then brings the unwind tables of std::terminate and through them the whole unwinder and the
// exception runtime: about 35 KB. Ending the program is all the library's would do here too.
#include <cstdlib>

extern "C" void __cxa_pure_virtual() { std::abort(); }
