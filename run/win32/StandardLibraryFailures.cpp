// The shipped program is a download for people who may have no network yet, so it stays small.
// The standard library's own failure paths (an impossible length, memory exhausted, an index out
// of range) would drag in its exception classes, their string copies and a symbol demangler: about
// 170 KB. The installer cannot recover from any of them, so they end the program instead. Product
// code therefore never relies on catching a standard-library exception.
#include <cstddef>
#include <cstdlib>
#include <new>

// The library's own operator new raises bad_alloc, which alone links in the whole unwinder.
void* operator new(std::size_t size) {
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  std::abort();
}

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
}  // namespace std
