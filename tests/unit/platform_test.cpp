// What reaches a terminal from a message, how far an endless input is read,
// and what reading a file in parts sees of it.
#include "diag/shown.h"
#include "platform/files.h"
#include "platform/threads.h"
#include "store/error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

TEST(Printable, ControlBytesEscapedOtherBytesKept) {
  EXPECT_EQ(printable("a\tb\x1B]0;x\x07\x7F"), "a\tb\\x1B]0;x\\x07\\x7F");
  // C1 controls as UTF-8 (CSI, the last one) go; a no-break space, an accented
  // letter and a byte that is no UTF-8 stay.
  EXPECT_EQ(printable("\xC2\x9B\xC2\x80"
                      "2J"),
            "\\xC2\\x9B\\xC2\\x802J");
  EXPECT_EQ(printable("\xC2\xA0\xC3\xA9\xE1\xC2"), "\xC2\xA0\xC3\xA9\xE1\xC2");
}

#ifndef _WIN32
TEST(ReadWholeFile, EndlessDeviceStopsAtTheLimit) {
  std::string bytes;
  constexpr std::size_t limit = std::size_t{1} << 22;
  EXPECT_EQ(readWholeFile("/dev/zero", bytes, limit), ReadOutcome::overLimit);
  EXPECT_LT(bytes.size(), 2 * limit);
  EXPECT_EQ(readWholeFile("/dev/null", bytes, limit), ReadOutcome::read);
}
#endif

#ifndef _WIN32
TEST(ReadFileInto, CrSeenInEveryPartAndPiece) {
  // Parts of 8 MB on the threads, each read in pieces of 1 MB: a lone CR in
  // the last piece of a middle part, or in the file's last byte, is seen.
  std::filesystem::path path = std::filesystem::path(testing::TempDir()) / "tabulon-cr-parts.txt";
  std::string text((std::size_t{20} << 20) + 5, 'x');
  setParallelism(2);
  for (std::size_t at : {std::size_t{(16 << 20) - 1}, text.size() - 1, text.size()}) {
    std::string written = text;
    if (at < written.size()) {
      written[at] = '\r';
    }
    std::ofstream(path, std::ios::binary) << written;
    FileBytes bytes;
    ASSERT_EQ(readFileInto(path.string(), bytes, text.size()), ReadOutcome::read);
    EXPECT_EQ(std::string_view(bytes.block.get(), bytes.blockSize), written);
    EXPECT_EQ(bytes.withoutCr, at == text.size()) << at;
  }
  setParallelism(1);
  std::filesystem::remove(path);
}
#endif
