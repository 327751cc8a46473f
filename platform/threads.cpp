// Threads for one run: the count the machine allows, and plain std::thread
// workers started per call. A run makes a handful of such calls, so a pool
// would save nothing worth its shutdown rules. The WebAssembly build has no
// threads: everything runs on the caller there.
#include "platform/threads.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <exception>
#include <fstream>
#include <vector>

#if !defined(__EMSCRIPTEN__)
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#endif

#if defined(__linux__)
#include <sched.h>
#endif

namespace {

unsigned chosen = 1;

#if defined(__linux__)
// Whole cores, rounded up, of a quota over a period; 0 for none.
unsigned coresOf(double quota, double period) {
  return quota <= 0 || period <= 0 ? 0 : static_cast<unsigned>(quota / period + 0.999);
}

// The cgroup's CPU quota as whole cores: v2's cpu.max ("max 100000" when
// there is none), else v1's pair of files; 0 when there is none or it cannot
// be read.
unsigned cgroupCores() {
  std::ifstream v2("/sys/fs/cgroup/cpu.max");
  std::string quota;
  double period = 0;
  if (v2 >> quota >> period) {
    if (quota == "max") {
      return 0;
    }
    try {
      return coresOf(std::stod(quota), period);
    } catch (const std::exception &) {
      return 0;
    }
  }
  std::ifstream v1Quota("/sys/fs/cgroup/cpu/cpu.cfs_quota_us");
  std::ifstream v1Period("/sys/fs/cgroup/cpu/cpu.cfs_period_us");
  double v1 = 0;
  return v1Quota >> v1 && v1Period >> period ? coresOf(v1, period) : 0; // v1 says -1 for none
}
#endif

#if !defined(__EMSCRIPTEN__)
// Started threads, joined however the scope is left.
class Workers {
public:
  Workers() = default;
  Workers(const Workers &) = delete;
  Workers &operator=(const Workers &) = delete;
  ~Workers() { joinAll(); }

  // Starts up to count threads running body; a thread the system refuses
  // leaves the work to those started and the caller.
  void start(unsigned count, const std::function<void()> &body) {
    for (unsigned i = 0; i < count; ++i) {
      try {
        threads_.emplace_back(body);
      } catch (const std::system_error &) {
        break;
      }
    }
  }
  void joinAll() {
    for (std::thread &t : threads_) {
      t.join();
    }
    threads_.clear();
  }

private:
  std::vector<std::thread> threads_;
};
#endif

} // namespace

unsigned availableThreads() {
#if defined(__EMSCRIPTEN__)
  return 1;
#else
  unsigned cores = std::thread::hardware_concurrency();
#if defined(__linux__)
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    cores = static_cast<unsigned>(CPU_COUNT(&set));
  }
  if (unsigned quota = cgroupCores(); quota > 0) {
    cores = std::min(cores, quota);
  }
#endif
  return std::clamp(cores, 1U, maxThreads);
#endif
}

unsigned parallelism() { return chosen; }

void setParallelism(unsigned threads) {
#if defined(__EMSCRIPTEN__)
  (void)threads;
#else
  chosen = std::clamp(threads, 1U, maxAskedThreads);
#endif
}

RowRange partOf(std::size_t rows, std::size_t parts, std::size_t part, std::size_t align) {
  assert(parts > 0 && part < parts && align > 0);
  std::size_t units = (rows + align - 1) / align;
  std::size_t first = std::min(rows, units * part / parts * align);
  std::size_t last = part + 1 == parts ? rows : std::min(rows, units * (part + 1) / parts * align);
  return {first, last};
}

void runParts(std::size_t parts, const std::function<void(std::size_t part)> &work) {
  std::vector<std::exception_ptr> failed(parts);
  std::atomic<std::size_t> next{0};
  auto body = [&] {
    for (std::size_t part = next++; part < parts; part = next++) {
      try {
        work(part);
      } catch (...) {
        failed[part] = std::current_exception();
      }
    }
  };
#if !defined(__EMSCRIPTEN__)
  {
    Workers workers;
    unsigned helpers = static_cast<unsigned>(std::min<std::size_t>(parallelism(), parts));
    if (helpers > 1) {
      workers.start(helpers - 1, body);
    }
    body();
  }
#else
  body();
#endif
  for (std::exception_ptr &e : failed) {
    if (e) {
      std::rethrow_exception(e);
    }
  }
}

void runInOrder(std::size_t parts, const std::function<void(std::size_t part, std::string &text)> &make,
                const std::function<void(std::size_t part, std::string &text)> &use) {
#if defined(__EMSCRIPTEN__)
  std::string text;
  for (std::size_t part = 0; part < parts; ++part) {
    text.clear();
    make(part, text);
    use(part, text);
  }
#else
  if (parallelism() == 1 || parts < 2) {
    std::string text;
    for (std::size_t part = 0; part < parts; ++part) {
      text.clear();
      make(part, text);
      use(part, text);
    }
    return;
  }
  // A part's text, made by whichever thread claimed it; parts are claimed in
  // order and at most window ahead of the one being used, which bounds the
  // memory the texts take.
  struct Slot {
    std::string text;
    std::exception_ptr failure;
    bool ready = false;
  };
  const std::size_t window = std::size_t{parallelism()} + 1;
  std::vector<Slot> slots(parts);
  std::vector<std::string> spare; // texts used already, their memory kept
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t claimed = 0;
  std::size_t used = 0;
  bool stop = false;

  // Makes the next claimable part; the lock is held on entry and on return.
  auto makeOne = [&](std::unique_lock<std::mutex> &lock) {
    std::size_t part = claimed++;
    std::string text;
    if (!spare.empty()) {
      text = std::move(spare.back());
      spare.pop_back();
    }
    lock.unlock();
    text.clear();
    std::exception_ptr failure;
    try {
      make(part, text);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    slots[part].text = std::move(text);
    slots[part].failure = failure;
    slots[part].ready = true;
    changed.notify_all();
  };
  auto claimable = [&] { return claimed < parts && claimed < used + window; };
  auto body = [&] {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return stop || claimable(); });
      if (stop) {
        return;
      }
      makeOne(lock);
    }
  };
  Workers workers;
  auto finish = [&] {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    changed.notify_all();
    workers.joinAll();
  };
  workers.start(parallelism() - 1, body);
  try {
    for (std::size_t part = 0; part < parts; ++part) {
      std::unique_lock<std::mutex> lock(mutex);
      while (!slots[part].ready) {
        if (claimable()) {
          makeOne(lock); // rather than wait, the caller makes one too
        } else {
          changed.wait(lock);
        }
      }
      if (slots[part].failure) {
        std::rethrow_exception(slots[part].failure);
      }
      std::string text = std::move(slots[part].text);
      lock.unlock();
      use(part, text);
      lock.lock();
      spare.push_back(std::move(text));
      ++used;
      changed.notify_all();
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
#endif
}
