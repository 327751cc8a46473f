// Writing a file whole or not at all: a run that fails halfway must leave the
// file that was there before untouched.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

// Calls write with a stream whose bytes become the file at path. A regular
// file (or a missing one) is replaced in one rename of a temporary file in the
// same folder, which keeps the old file's permissions and, for a symbolic
// link, replaces the link's target; anything else (a device, a FIFO, a
// console) is written directly. False when the file cannot be written; then a
// regular file keeps its old contents and no temporary file is left.
bool writeFileWhole(const std::string &path, const std::function<void(std::ostream &)> &write);

// A file whose first bytes are known before the rest. Sent ahead, where the
// file is replaced through a temporary file, they go out to it on a thread of
// their own while the rest is worked out; nothing is in the file's place
// before finish, and a head never finished is removed with its temporary file.
class FileHead {
public:
  // head must stay as it is until finish or the end of this object.
  FileHead(std::string path, std::string_view head);
  ~FileHead();
  FileHead(const FileHead &) = delete;
  FileHead &operator=(const FileHead &) = delete;

  void sendAhead();
  // writeFileWhole's outcome for head followed by what rest writes.
  bool finish(const std::function<void(std::ostream &)> &rest);
  [[nodiscard]] const std::string &path() const { return path_; }

private:
  struct Sending;
  std::string path_;
  std::string_view head_;
  std::unique_ptr<Sending> sending_;
};
