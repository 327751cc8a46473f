// Test-only preload library: the TABULON_FAULT_ALLOC_FAIL-th allocation made
// after main has started fails, as when memory runs out; the ones before and
// after it succeed. With TABULON_FAULT_ALLOC_COUNT naming a file, the number
// of allocations the run made after main started is written there at exit, so
// that a sweep knows how far to go. glibc only: it wraps main through
// __libc_start_main and allocates through __libc_malloc.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *old, std::size_t size);
}

namespace {

using Main = int (*)(int, char **, char **);
Main realMain = nullptr;
bool started = false;
long long made = 0;
long long failAt = -1;

int startedMain(int argc, char **argv, char **env) {
  const char *at = std::getenv("TABULON_FAULT_ALLOC_FAIL");
  failAt = at != nullptr ? std::atoll(at) : -1;
  started = true;
  return realMain(argc, argv, env);
}

// True when this allocation is the one to fail.
bool failsNow() {
  if (!started) {
    return false;
  }
  if (++made != failAt) {
    return false;
  }
  errno = ENOMEM;
  return true;
}

__attribute__((destructor)) void reportCount() {
  const char *path = std::getenv("TABULON_FAULT_ALLOC_COUNT");
  if (path == nullptr || !started) {
    return;
  }
  char text[32];
  int length = std::snprintf(text, sizeof text, "%lld\n", made);
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd >= 0) {
    (void)!write(fd, text, static_cast<std::size_t>(length));
    close(fd);
  }
}

} // namespace

extern "C" void *malloc(std::size_t size) { return failsNow() ? nullptr : __libc_malloc(size); }

extern "C" void *calloc(std::size_t count, std::size_t size) {
  return failsNow() ? nullptr : __libc_calloc(count, size);
}

extern "C" void *realloc(void *old, std::size_t size) { return failsNow() ? nullptr : __libc_realloc(old, size); }

extern "C" int __libc_start_main(Main main, int argc, char **argv, Main init, void (*fini)(), void (*rtldFini)(),
                                 void *stackEnd) {
  using Start = int (*)(Main, int, char **, Main, void (*)(), void (*)(), void *);
  auto real = reinterpret_cast<Start>(dlsym(RTLD_NEXT, "__libc_start_main"));
  realMain = main;
  return real(startedMain, argc, argv, init, fini, rtldFini, stackEnd);
}
