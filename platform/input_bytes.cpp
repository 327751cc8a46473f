// Mapping of the input file where POSIX offers it; Windows and the browser
// build read it instead. A mapped file that another process truncates while
// the run reads it would fault; the output never replaces it in place (it is
// written beside and renamed), so a run naming its input as its output is safe.
#include "platform/input_bytes.h"

#include "platform/files.h"

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#define TABULON_MAP_INPUT 1
#endif

InputBytes::~InputBytes() { unmap(); }

void InputBytes::unmap() {
#ifdef TABULON_MAP_INPUT
  if (mapped_ != nullptr) {
    munmap(const_cast<char *>(mapped_), mappedSize_);
  }
#endif
  mapped_ = nullptr;
  mappedSize_ = 0;
}

bool InputBytes::load(const std::string &path) {
#ifdef TABULON_MAP_INPUT
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    struct stat st {};
    bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
    void *p = regular ? mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    close(fd);
    if (p != MAP_FAILED) {
      mapped_ = static_cast<const char *>(p);
      mappedSize_ = static_cast<std::size_t>(st.st_size);
      return true;
    }
  }
#endif
  return readWholeFile(path, owned_);
}

std::string_view InputBytes::view() const {
  return mapped_ != nullptr ? std::string_view(mapped_, mappedSize_) : std::string_view(owned_);
}

std::string &InputBytes::owned() {
  if (mapped_ != nullptr) {
    owned_.assign(mapped_, mappedSize_);
    unmap();
  }
  return owned_;
}
