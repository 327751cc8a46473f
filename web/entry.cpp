// The page's way into the engine: one input text in, everything one run of
// the command line leaves out. The run happens in Emscripten's in-memory file
// system, so the engine reads and writes files as it does anywhere else.
#include "app/driver.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using emscripten::val;

// The transcript names the files, so they keep the names of a plain
// `tabulon input.txt output.txt` run.
const char *const kRunFolder = "/run";
const char *const kInput = "input.txt";
const char *const kOutput = "output.txt";

// Every file the run writes besides the input comes back by name, so a new
// output (--explain explain.json) needs only its arguments here.
const std::vector<std::string> kArguments = {"tabulon", "--explain", "explain.json", kInput, kOutput};

// The engine's texts are bytes (its messages hold Latin-1 letters); a UTF-8
// string conversion would mangle them, a Uint8Array keeps them.
val bytes(const std::string &text) {
  return val::global("Uint8Array")
      .new_(emscripten::typed_memory_view(text.size(), reinterpret_cast<const unsigned char *>(text.data())));
}

std::string readFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// input: the input file's bytes (a Uint8Array from JavaScript); extended:
// the page's switch for --extended.
// Returns {status, stdout, stderr, files: {name: bytes}}.
val runInput(const std::string &input, bool extended) {
  // Emptied rather than removed: it is the working folder, which cannot go.
  fs::create_directories(kRunFolder);
  fs::current_path(kRunFolder);
  for (const fs::directory_entry &entry : fs::directory_iterator(kRunFolder)) {
    fs::remove_all(entry.path());
  }
  std::ofstream(kInput, std::ios::binary) << input; // closed at the end of the statement

  std::vector<const char *> argv;
  for (const std::string &a : kArguments) {
    argv.push_back(a.c_str());
  }
  if (extended) {
    argv.insert(argv.begin() + 1, "--extended");
  }
  std::ostringstream out;
  std::ostringstream err;
  const int status = runTabulon(static_cast<int>(argv.size()), argv.data(), out, err);

  val files = val::object();
  for (const fs::directory_entry &entry : fs::directory_iterator(kRunFolder)) {
    const std::string name = entry.path().filename().string();
    if (name != kInput && entry.is_regular_file()) {
      files.set(name, bytes(readFile(entry.path())));
    }
  }
  val result = val::object();
  result.set("status", status);
  result.set("stdout", bytes(out.str()));
  result.set("stderr", bytes(err.str()));
  result.set("files", files);
  return result;
}

} // namespace

EMSCRIPTEN_BINDINGS(tabulon) { emscripten::function("runInput", &runInput); }
