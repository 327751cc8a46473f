// Whole-or-nothing file replacement through a temporary file and a rename.
#include "platform/output_file.h"

#include "platform/native_path.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

unsigned long processId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// A name in target's folder that no other file holds, so that the rename
// stays within one file system; short, so that it fits wherever target does.
fs::path temporaryBeside(const fs::path &target) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    fs::path candidate = target;
    candidate.replace_filename(".tabulon-" + std::to_string(processId()) + "-" + std::to_string(counter++) + ".tmp");
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) {
      return candidate;
    }
  }
}

bool replaceWith(const fs::path &temporary, const fs::path &target) {
#ifdef _WIN32
  return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  std::error_code ec;
  fs::rename(temporary, target, ec);
  return !ec;
#endif
}

bool writeDirectly(const fs::path &target, const std::function<void(std::ostream &)> &write) {
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    return false;
  }
  write(out);
  out.close(); // a full disk shows only when the last block is flushed
  return !out.fail();
}

} // namespace

bool writeFileWhole(const std::string &path, const std::function<void(std::ostream &)> &write) {
  fs::path target = nativePath(path);
  std::error_code ec;
  // Through a link, the file it names is what gets replaced.
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    fs::path resolved = fs::weakly_canonical(target, ec);
    if (ec) {
      return false;
    }
    target = resolved;
  }
  fs::file_status status = fs::status(target, ec);
  bool exists = fs::exists(status);
  if (exists && !fs::is_regular_file(status)) {
    return writeDirectly(target, write);
  }
  if (!fs::is_directory(target.parent_path().empty() ? fs::path(".") : target.parent_path(), ec)) {
    return false;
  }
  fs::path temporary = temporaryBeside(target);
  bool done = false;
  try {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out.is_open()) {
      write(out);
      out.close();
      done = !out.fail();
    }
    if (done && exists) {
      fs::permissions(temporary, status.permissions(), fs::perm_options::replace, ec);
    }
    done = done && replaceWith(temporary, target);
  } catch (...) {
    fs::remove(temporary, ec);
    throw;
  }
  if (!done) {
    fs::remove(temporary, ec);
  }
  return done;
}
