// The least work a run can do on one of run.py's inputs, as a floor to time
// tabulon against: read the file whole, find every value of every relation
// in one pass with no checks, keep each as an offset and a length, then
// write the file and the first relation's values again under a new header,
// and make the output durable as tabulon does (fsync of the file and its
// folder, the disk told of each 8 MB as it is written). On a rename input
// its output equals tabulon's byte for byte.
// With 2 threads (its two-thread twin) it reads the file in two halves at
// once, finds each relation's values in two halves at once, and forms the
// rows while the copy of the input is written.
//   c++ -O2 -std=c++20 -pthread bench/floor.cpp -o /tmp/floor
//   /tmp/floor 1 /tmp/bench-data/1000000/rename/input.txt /tmp/floor-out.txt
//   /tmp/floor 2 /tmp/bench-data/1000000/rename/input.txt /tmp/floor-out.txt
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const char *next(const char *p, const char *end, char c) {
  const void *found = std::memchr(p, c, static_cast<std::size_t>(end - p));
  return found != nullptr ? static_cast<const char *>(found) : end;
}

// The values of a run of rows: offsets from the text's start and lengths,
// column after column within a row.
struct Values {
  std::vector<std::uint32_t> offsets;
  std::vector<std::uint8_t> lengths;
};

void split(const char *text, const char *p, const char *end, std::size_t columns, Values &values) {
  std::size_t rows = static_cast<std::size_t>(end - p) / 24 + 1;
  values.offsets.reserve(rows * columns);
  values.lengths.reserve(rows * columns);
  while (p < end) {
    const char *eol = next(p, end, '\n');
    for (std::size_t c = 0; c < columns; ++c) {
      const char *e = c + 1 < columns ? next(p, eol, ',') : eol;
      values.offsets.push_back(static_cast<std::uint32_t>(p - text));
      values.lengths.push_back(static_cast<std::uint8_t>(e - p));
      p = e + 1;
    }
  }
}

void form(const char *text, const Values &values, std::size_t columns, std::string &out) {
  std::size_t n = values.offsets.size();
  std::size_t bytes = n; // a separator after each value
  for (std::uint8_t length : values.lengths) {
    bytes += length;
  }
  out.resize(bytes);
  char *o = out.data();
  for (std::size_t i = 0; i < n; ++i) {
    std::memcpy(o, text + values.offsets[i], values.lengths[i]);
    o += values.lengths[i];
    *o++ = (i + 1) % columns == 0 ? '\n' : ',';
  }
}

// Written as tabulon writes: the disk is told of every 8 MB as it goes, so
// that the fsync at the end waits only for the last of it.
bool writeAll(int fd, const char *data, std::size_t size) {
  static std::size_t unhinted = 0;
  while (size > 0) {
    ssize_t done = ::write(fd, data, std::min(size, std::size_t{8} << 20));
    if (done <= 0) {
      return false;
    }
    data += done;
    size -= static_cast<std::size_t>(done);
    unhinted += static_cast<std::size_t>(done);
    if (unhinted >= std::size_t{8} << 20) {
      sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
      unhinted = 0;
    }
  }
  return true;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 4 || (std::strcmp(argv[1], "1") != 0 && std::strcmp(argv[1], "2") != 0)) {
    std::fprintf(stderr, "usage: floor 1|2 input output\n");
    return 2;
  }
  bool two = argv[1][0] == '2';
  int in = open(argv[2], O_RDONLY);
  struct stat st {};
  if (in < 0 || fstat(in, &st) != 0) {
    return 1;
  }
  auto size = static_cast<std::size_t>(st.st_size);
  std::unique_ptr<char[]> buffer(new char[size]);
  char *text = buffer.get();
  auto readPart = [&](std::size_t from, std::size_t to) {
    while (from < to) {
      ssize_t done = pread(in, text + from, to - from, static_cast<off_t>(from));
      if (done <= 0) {
        std::exit(1);
      }
      from += static_cast<std::size_t>(done);
    }
  };
  if (two) {
    std::thread other(readPart, size / 2, size);
    readPart(0, size / 2);
    other.join();
  } else {
    readPart(0, size);
  }
  close(in);

  const char *end = text + size;
  const char *p = next(text, end, '\n') + 1; // the command
  p = next(p, end, '\n') + 1;                // the empty line after it
  std::string header;
  std::size_t firstColumns = 0;
  std::vector<Values> first(2); // the first relation's values, in one or two halves
  bool isFirst = true;
  while (p < end && *p != '\n') {
    const char *headerEnd = next(p, end, '\n');
    std::size_t columns = 1;
    for (const char *c = p; c < headerEnd; ++c) {
      columns += *c == ',' ? 1 : 0;
    }
    if (isFirst) {
      // The new header: S, with the columns named a, b, c, ... and typed as before.
      header = "S(";
      const char *c = next(p, headerEnd, '(') + 1;
      for (std::size_t i = 0; i < columns; ++i) {
        const char *space = next(c, headerEnd, ' ');
        const char *comma = next(space, headerEnd, ',');
        const char *stop = i + 1 < columns ? comma : headerEnd - 1;
        header += i > 0 ? ", " : "";
        header += static_cast<char>('a' + i);
        header.append(space, stop);
        c = comma + 2;
      }
      header += ")\n";
      firstColumns = columns;
    }
    const char *rows = headerEnd + 1;
    const char *rowsEnd = rows;
    while (rowsEnd < end && *rowsEnd != '\n') {
      rowsEnd = next(rowsEnd, end, '\n') + 1;
    }
    Values discard[2];
    Values *into = isFirst ? first.data() : discard;
    if (two) {
      const char *middle = next(rows + (rowsEnd - rows) / 2, rowsEnd, '\n');
      middle = middle < rowsEnd ? middle + 1 : rowsEnd;
      std::thread other(split, text, middle, rowsEnd, columns, std::ref(into[1]));
      split(text, rows, middle, columns, into[0]);
      other.join();
    } else {
      split(text, rows, rowsEnd, columns, into[0]);
    }
    isFirst = false;
    p = rowsEnd + 1;
  }

  int out = open(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (out < 0) {
    return 1;
  }
  bool ok = true;
  if (two) {
    std::string formed[2];
    std::thread other([&] {
      form(text, first[0], firstColumns, formed[0]);
      form(text, first[1], firstColumns, formed[1]);
    });
    ok = writeAll(out, text, size) && writeAll(out, header.data(), header.size());
    other.join();
    ok = ok && writeAll(out, formed[0].data(), formed[0].size()) && writeAll(out, formed[1].data(), formed[1].size());
  } else {
    ok = writeAll(out, text, size) && writeAll(out, header.data(), header.size());
    std::vector<char> block(std::size_t{1} << 16);
    std::size_t used = 0;
    const Values &v = first[0];
    for (std::size_t i = 0; i < v.offsets.size(); ++i) {
      if (used + 256 > block.size()) {
        ok = ok && writeAll(out, block.data(), used);
        used = 0;
      }
      std::memcpy(block.data() + used, text + v.offsets[i], v.lengths[i]);
      used += v.lengths[i];
      block[used++] = (i + 1) % firstColumns == 0 ? '\n' : ',';
    }
    ok = ok && writeAll(out, block.data(), used);
  }
  ok = ok && writeAll(out, "\n", 1) && fsync(out) == 0 && close(out) == 0;
  // The folder too, as tabulon makes its rename durable.
  std::string folder(argv[3]);
  std::size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? "." : folder.substr(0, slash + 1);
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return ok ? 0 : 1;
}
