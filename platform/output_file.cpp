// Whole-or-nothing file replacement through a temporary file and a rename.
// The temporary file is made in a way no other user can take over: a random
// name created exclusively, never through a link, readable by its owner only
// until it is complete, and then handled by descriptor, not by name.
#include "platform/output_file.h"

#include "platform/native_path.h"
#include "platform/own_descriptor.h"
#include "platform/signal_cleanup.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cassert>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <streambuf>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// How much a file written behind takes before the disk is told of it.
constexpr std::size_t writebackPiece = std::size_t{8} << 20;

#ifdef _WIN32
using Sink = HANDLE;

bool writeAll(Sink sink, const char *data, std::size_t size) {
  while (size > 0) {
    DWORD chunk = size > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(size);
    DWORD done = 0;
    if (WriteFile(sink, data, chunk, &done, nullptr) == 0 || done == 0) {
      return false;
    }
    data += done;
    size -= done;
  }
  return true;
}
#else
using Sink = int;

bool writeAll(Sink sink, const char *data, std::size_t size) {
  while (size > 0) {
    ssize_t done = ::write(sink, data, size > (std::size_t{1} << 30) ? (std::size_t{1} << 30) : size);
    if (done < 0 && errno == EINTR) {
      continue;
    }
    if (done <= 0) {
      return false;
    }
    data += done;
    size -= static_cast<std::size_t>(done);
  }
  return true;
}
#endif

// Has the disk start on what was written to the file so far that it has not
// been given yet, so that the fsync at the end waits only for the last of it.
// A hint: fsync reports what failed.
void startWriteback([[maybe_unused]] Sink sink) {
#ifdef __linux__
  sync_file_range(sink, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

// A stream buffer that writes to a descriptor. Its block is allocated before
// any write, since a stream hides an allocation failure as a failed write.
// Written behind, a regular file goes to the disk as it is written.
class SinkBuffer : public std::streambuf {
public:
  enum class Behind : bool { no, yes };
  SinkBuffer(Sink sink, Behind behind) : sink_(sink), behind_(behind), block_(std::size_t{1} << 16) {
    setp(block_.data(), block_.data() + block_.size());
  }
  [[nodiscard]] bool failed() const { return failed_; }

protected:
  int_type overflow(int_type ch) override {
    if (!drain()) {
      return traits_type::eof();
    }
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(ch);
      pbump(1);
    }
    return traits_type::not_eof(ch);
  }
  std::streamsize xsputn(const char *data, std::streamsize size) override {
    if (size > epptr() - pptr()) {
      if (!drain()) {
        return 0;
      }
      if (size >= static_cast<std::streamsize>(block_.size())) {
        return send(data, static_cast<std::size_t>(size)) ? size : 0;
      }
    }
    std::memcpy(pptr(), data, static_cast<std::size_t>(size));
    pbump(static_cast<int>(size));
    return size;
  }
  int sync() override { return drain() ? 0 : -1; }

private:
  bool drain() {
    auto used = static_cast<std::size_t>(pptr() - pbase());
    setp(block_.data(), block_.data() + block_.size());
    return send(block_.data(), used);
  }
  bool send(const char *data, std::size_t size) {
    failed_ = failed_ || !writeAll(sink_, data, size);
    unhinted_ += size;
    if (behind_ == Behind::yes && !failed_ && unhinted_ >= writebackPiece) {
      startWriteback(sink_);
      unhinted_ = 0;
    }
    return !failed_;
  }

  Sink sink_;
  Behind behind_;
  std::vector<char> block_;
  bool failed_ = false;
  std::size_t unhinted_ = 0; // bytes written since the disk was last told
};

// Runs write over the descriptor; false when a byte did not get there.
bool writeTo(Sink sink, const std::function<void(std::ostream &)> &write,
             SinkBuffer::Behind behind = SinkBuffer::Behind::no) {
  SinkBuffer buffer(sink, behind);
  std::ostream out(&buffer);
  write(out);
  out.flush();
  return !out.fail() && !buffer.failed();
}

// A name no one can guess, so that no one can prepare a link or a file at it.
std::string temporaryName() {
  static unsigned counter = 0;
  std::uint64_t bits = 0;
  try {
    std::random_device device;
    bits = (std::uint64_t{device()} << 32U) ^ device();
  } catch (const std::exception &) {
    bits = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }
  bits ^= ++counter;
  std::array<char, 40> name{};
  std::snprintf(name.data(), name.size(), ".tabulon-%016llx.tmp", static_cast<unsigned long long>(bits));
  return name.data();
}

#ifdef _WIN32

bool writeDirectly(const std::filesystem::path &target, const std::function<void(std::ostream &)> &write) {
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    return false;
  }
  write(out);
  out.close(); // a full disk shows only when the last block is flushed
  return !out.fail();
}

bool replaceFile(const std::filesystem::path &target, const std::function<void(std::ostream &)> &write) {
  std::filesystem::path temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < 100 && file == INVALID_HANDLE_VALUE; ++tries) {
    temporary = target;
    temporary.replace_filename(temporaryName());
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
      return false;
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  removeOnSignal(temporary.c_str());
  bool done = false;
  try {
    done = writeTo(file, write) && FlushFileBuffers(file) != 0;
  } catch (...) {
    CloseHandle(file);
    DeleteFileW(temporary.c_str());
    forgetOnSignal();
    throw;
  }
  done = CloseHandle(file) != 0 && done;
  done =
      done && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  forgetOnSignal();
  if (!done) {
    DeleteFileW(temporary.c_str());
  }
  return done;
}

#else

// Where a name leads: one of the program's own descriptors, or the file that
// its chain of symbolic links ends at (which may not exist yet, as for a
// dangling link, whose target the shell creates).
struct Target {
  bool found = false;
  int descriptor = -1;
  std::string path;
};

Target follow(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    if (int fd = ownDescriptor(path); fd >= 0) {
      return {true, fd, {}};
    }
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
      return {true, -1, path};
    }
    // Some links (those of /proc) report no size.
    std::vector<char> text(std::max<std::size_t>(static_cast<std::size_t>(link.st_size) + 2, 4096));
    ssize_t length = readlink(path.c_str(), text.data(), text.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= text.size()) {
      return {};
    }
    std::string next(text.data(), static_cast<std::size_t>(length));
    std::size_t slash = path.rfind('/');
    if (next.front() != '/' && slash != std::string::npos) {
      next.insert(0, path, 0, slash + 1);
    }
    path = next;
  }
  return {}; // a loop of links
}

class Descriptor {
public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  [[nodiscard]] int get() const { return fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = fd;
  }
  // Closing reports the last write error of some file systems (NFS).
  bool close() {
    int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

private:
  int fd_;
};

// A device, FIFO or socket: opened and written as it is.
bool writeDirectly(const std::string &path, const std::function<void(std::ostream &)> &write) {
  Descriptor fd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  return fd.get() >= 0 && writeTo(fd.get(), write) && fd.close();
}

// An existing file rewritten in its place, as editors do where replacing it
// would lose something: its other hard links, its owner, or where its folder
// takes no new file. A failure now leaves the file cut short.
bool writeInPlace(const std::string &path, const struct stat &before,
                  const std::function<void(std::ostream &)> &write) {
  Descriptor fd(open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
  struct stat now {};
  if (fd.get() < 0 || fstat(fd.get(), &now) != 0 || now.st_dev != before.st_dev || now.st_ino != before.st_ino) {
    return false; // the name was given to another file meanwhile
  }
  return ftruncate(fd.get(), 0) == 0 && writeTo(fd.get(), write, SinkBuffer::Behind::yes) && fsync(fd.get()) == 0 &&
         fd.close();
}

// A folder that the user may write but not list opens only as a path; that
// serves every call made through it but the final fsync.
int openFolder(const std::string &folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_PATH
  if (fd < 0 && errno == EACCES) {
    fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
#endif
  return fd;
}

mode_t newFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// The temporary file in the folder open as dir: unnamed where the file system
// allows it (nothing to leave behind until it is linked in), else a named
// one. name is empty for the unnamed kind until it is linked.
struct Temporary {
  Descriptor fd;
  std::string name;
  bool unnamed = false;
  int dir = -1;

  ~Temporary() { discard(); }
  Temporary() = default;
  Temporary(const Temporary &) = delete;
  Temporary &operator=(const Temporary &) = delete;

  bool create(int folder) {
    dir = folder;
#ifdef O_TMPFILE
    // It is linked in through /proc, which a chroot may lack.
    if (access("/proc/self/fd", X_OK) == 0) {
      fd.reset(openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
      if (fd.get() >= 0) {
        unnamed = true;
        return true;
      }
      if (errno == EACCES || errno == EPERM || errno == EROFS) {
        return false;
      }
    }
#endif
    // The name is held before the file exists: nothing that could throw may
    // stand between creating the file and knowing what to remove.
    for (int tries = 0; tries < 100; ++tries) {
      SignalsHeld held;
      name = temporaryName();
      fd.reset(openat(dir, name.c_str(), O_CREAT | O_EXCL | O_NOFOLLOW | O_WRONLY | O_CLOEXEC, 0600));
      if (fd.get() >= 0) {
        removeOnSignal(dir, name.c_str());
        return true;
      }
      name.clear();
      if (errno != EEXIST) {
        return false;
      }
    }
    return false;
  }

  // Gives the complete file its name in the folder, replacing base.
  bool publish(const std::string &base) {
    if (unnamed) {
      std::string self = "/proc/self/fd/" + std::to_string(fd.get());
      for (int tries = 0; tries < 100 && name.empty(); ++tries) {
        SignalsHeld held;
        name = temporaryName();
        removeOnSignal(dir, name.c_str());
        if (linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
          continue;
        }
        int error = errno;
        forgetOnSignal();
        name.clear();
        if (error != EEXIST) {
          return false;
        }
      }
    }
    // Another user who can write the folder may put something else at the
    // temporary name: it is not renamed over the output when seen before the
    // rename, and the run does not report success when it got there anyway.
    SignalsHeld held;
    if (name.empty() || !holds(name) || renameat(dir, name.c_str(), dir, base.c_str()) != 0) {
      return false;
    }
    forgetOnSignal();
    name.clear();
    return holds(base);
  }

  // Whether the entry at entry in the folder is this file.
  [[nodiscard]] bool holds(const std::string &entry) const {
    struct stat mine {};
    struct stat there {};
    return fstat(fd.get(), &mine) == 0 && fstatat(dir, entry.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
           mine.st_dev == there.st_dev && mine.st_ino == there.st_ino;
  }

  void discard() {
    if (!name.empty()) {
      SignalsHeld held;
      unlinkat(dir, name.c_str(), 0);
      forgetOnSignal();
      name.clear();
    }
    fd.reset();
  }
};

// How the file at a path is to be written, found before any byte of it is:
// through a temporary file, which is then open, or one of the other ways.
struct Replacement {
  enum class Way { fail, directly, inPlace, throughTemporary };
  Way way = Way::fail;
  struct stat old {};
  std::string base;
  Descriptor dir;
  Temporary temporary;
  mode_t mode = 0;
};

void prepare(const std::string &path, Replacement &r) {
  using Way = Replacement::Way;
  bool exists = lstat(path.c_str(), &r.old) == 0;
  if (!exists && errno != ENOENT) {
    return;
  }
  if (exists && !S_ISREG(r.old.st_mode)) {
    r.way = !S_ISDIR(r.old.st_mode) && !S_ISLNK(r.old.st_mode) ? Way::directly : Way::fail;
    return;
  }
  // The shell's rule: a file the user may not write is not written (root may).
  if (exists && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    return;
  }
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  r.base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (r.base.empty()) {
    return;
  }
  Way fallback = exists ? Way::inPlace : Way::fail;
  r.dir.reset(openFolder(folder));
  if (r.dir.get() < 0) {
    r.way = fallback;
    return;
  }
  if (exists && r.old.st_nlink > 1) {
    r.way = Way::inPlace;
    return;
  }
  if (!r.temporary.create(r.dir.get())) {
    r.way = fallback;
    return;
  }
  struct stat made {};
  bool foreign =
      exists && (fstat(r.temporary.fd.get(), &made) != 0 || made.st_uid != r.old.st_uid || made.st_gid != r.old.st_gid);
  if (foreign && fchown(r.temporary.fd.get(), r.old.st_uid, r.old.st_gid) != 0) {
    r.temporary.discard();
    r.way = Way::inPlace;
    return;
  }
  r.mode = exists ? (r.old.st_mode & 07777) : newFileMode();
  r.way = Way::throughTemporary;
}

// The complete temporary file made durable and put in the target's place.
bool publishTemporary(Replacement &r) {
  if (fchmod(r.temporary.fd.get(), r.mode) != 0 || fsync(r.temporary.fd.get()) != 0 || !r.temporary.publish(r.base)) {
    return false;
  }
  fsync(r.dir.get()); // the rename itself made durable; the file is complete either way
  return r.temporary.fd.close();
}

bool writePrepared(const std::string &path, Replacement &r, const std::function<void(std::ostream &)> &write) {
  switch (r.way) {
  case Replacement::Way::directly:
    return writeDirectly(path, write);
  case Replacement::Way::inPlace:
    return writeInPlace(path, r.old, write);
  case Replacement::Way::throughTemporary:
    return writeTo(r.temporary.fd.get(), write, SinkBuffer::Behind::yes) && publishTemporary(r);
  case Replacement::Way::fail:
    break;
  }
  return false;
}

bool replaceFile(const std::string &path, const std::function<void(std::ostream &)> &write) {
  Replacement r;
  prepare(path, r);
  return writePrepared(path, r, write);
}

#endif

} // namespace

bool writeFileWhole(const std::string &path, const std::function<void(std::ostream &)> &write) {
#ifdef _WIN32
  namespace fs = std::filesystem;
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
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    return writeDirectly(target, write);
  }
  if (!fs::is_directory(target.parent_path().empty() ? fs::path(".") : target.parent_path(), ec)) {
    return false;
  }
  return replaceFile(target, write);
#else
#ifdef __EMSCRIPTEN__
  // The page's files live in memory for one run: no other user, no signal,
  // no old file to keep, and a file system without the calls that replacing
  // a file safely needs.
  return writeDirectly(path, write);
#endif
  Target target = follow(path);
  if (!target.found) {
    return false;
  }
  if (target.descriptor >= 0) {
    // Written where the descriptor stands, after what the console has
    // already sent there.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    return writeTo(target.descriptor, write);
  }
  return replaceFile(target.path, write);
#endif
}

// The head goes out in pieces, so that a run that fails meanwhile need not
// wait for all of it.
struct FileHead::Sending {
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
  Replacement replacement;
  std::atomic<bool> stop{false};
  bool sent = false; // read once the thread has ended
  std::thread thread;
#endif
};

FileHead::FileHead(std::string path, std::string_view head) : path_(std::move(path)), head_(head) {}

void FileHead::sendAhead() {
  assert(!sending_ && "sent ahead once");
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
  Target target = follow(path_);
  if (!target.found || target.descriptor >= 0) {
    return;
  }
  auto sending = std::make_unique<Sending>();
  prepare(target.path, sending->replacement);
  if (sending->replacement.way != Replacement::Way::throughTemporary) {
    return; // the other ways write nothing before finish
  }
  Sending &s = *sending;
  try {
    s.thread = std::thread([&s, head = head_] {
      int fd = s.replacement.temporary.fd.get();
      bool ok = true;
      for (std::size_t at = 0; ok && at < head.size(); at += writebackPiece) {
        std::size_t size = std::min(writebackPiece, head.size() - at);
        ok = !s.stop.load(std::memory_order_relaxed) && writeAll(fd, head.data() + at, size);
        if (ok) {
          startWriteback(fd);
        }
      }
      s.sent = ok;
    });
  } catch (const std::system_error &) {
    return; // no thread: the head goes out with the rest
  }
  sending_ = std::move(sending);
#endif
}

FileHead::~FileHead() {
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
  if (sending_) {
    sending_->stop = true;
    sending_->thread.join();
  }
#endif
}

bool FileHead::finish(const std::function<void(std::ostream &)> &rest) {
  auto whole = [&](std::ostream &out) {
    out.write(head_.data(), static_cast<std::streamsize>(head_.size()));
    rest(out);
  };
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
  if (sending_) {
    sending_->thread.join();
    std::unique_ptr<Sending> s = std::move(sending_);
    if (s->sent) {
      return writeTo(s->replacement.temporary.fd.get(), rest, SinkBuffer::Behind::yes) &&
             publishTemporary(s->replacement);
    }
    // A write failed (a full disk): the whole way again, from a fresh start,
    // gives the outcome and the message a run without a head start would.
  }
#endif
  return writeFileWhole(path_, whole);
}
