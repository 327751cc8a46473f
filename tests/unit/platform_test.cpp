// What reaches a terminal from a message, and how far an endless input is read.
#include "diag/shown.h"
#include "platform/files.h"
#include "store/error.h"

#include <gtest/gtest.h>

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
