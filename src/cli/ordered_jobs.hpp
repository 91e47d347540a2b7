// Jobs run on several threads whose results are taken in the order of the
// jobs, on the calling thread: the output of a run on N threads is the output
// of a run on one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace zunkaro {

// Runs `work(i)` for i from 0 to count - 1 on `threads` threads and hands
// each result to `take(i, result)` on the calling thread, in order of i. At
// most a few results per thread wait to be taken, so memory stays bounded
// however many jobs there are. When `take` returns false, no further job
// starts and the results still to come are dropped. While it waits, `idle`
// is called on the calling thread every `tick` or so. A job that throws has
// its exception rethrown from here, in its turn. With one thread, every job
// runs on the calling thread.
template <typename Result>
void RunInOrder(std::size_t count, unsigned threads,
                const std::function<Result(std::size_t)>& work,
                const std::function<bool(std::size_t, Result&)>& take,
                const std::function<void()>& idle = {},
                std::chrono::milliseconds tick = std::chrono::milliseconds(100)) {
  if (threads <= 1 || count <= 1) {
    for (std::size_t i = 0; i < count; ++i) {
      Result result = work(i);
      if (!take(i, result)) {
        return;
      }
      if (idle) {
        idle();
      }
    }
    return;
  }

  const std::size_t window = std::size_t{4} * threads;
  struct Slot {
    std::optional<Result> Value;
    std::exception_ptr Error;
    bool Done = false;
  };
  std::vector<Slot> slots(count);
  std::mutex mutex;
  std::condition_variable done;  // a job finished
  std::condition_variable room;  // a result was taken, or the run stops
  std::size_t next = 0;          // the next job to start
  std::size_t taken = 0;         // results taken so far
  std::size_t workersWaiting = 0;  // for room in the window
  bool stop = false;

  const auto worker = [&] {
    std::unique_lock lock(mutex);
    for (;;) {
      ++workersWaiting;
      room.wait(lock, [&] { return stop || next == count || next < taken + window; });
      --workersWaiting;
      if (stop || next == count) {
        return;
      }
      const std::size_t i = next++;
      lock.unlock();
      std::optional<Result> value;
      std::exception_ptr error;
      try {
        value.emplace(work(i));
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      slots[i].Value = std::move(value);
      slots[i].Error = error;
      slots[i].Done = true;
      if (i == taken) {
        // The result the calling thread waits for; the others it finds done.
        done.notify_one();
      }
    }
  };

  std::vector<std::thread> pool;
  // Whatever way this ends, the threads are stopped and joined first.
  struct Joiner {
    std::vector<std::thread>& Pool;
    std::mutex& Mutex;
    std::condition_variable& Room;
    bool& Stop;
    ~Joiner() {
      {
        const std::lock_guard lock(Mutex);
        Stop = true;
      }
      Room.notify_all();
      for (std::thread& t : Pool) {
        t.join();
      }
    }
  } joiner{pool, mutex, room, stop};
  const unsigned started = threads < count ? threads : static_cast<unsigned>(count);
  for (unsigned t = 0; t < started; ++t) {
    pool.emplace_back(worker);
  }

  for (std::size_t i = 0; i < count; ++i) {
    Slot slot;
    bool wake = false;
    {
      std::unique_lock lock(mutex);
      while (!slots[i].Done) {
        if (idle) {
          if (!done.wait_for(lock, tick, [&] { return slots[i].Done; })) {
            lock.unlock();
            idle();
            lock.lock();
          }
        } else {
          done.wait(lock, [&] { return slots[i].Done; });
        }
      }
      slot = std::move(slots[i]);
      slots[i] = Slot{};
      taken = i + 1;
      wake = workersWaiting != 0;
    }
    if (wake) {
      // A worker waits for room in the window, which has just grown.
      room.notify_all();
    }
    if (slot.Error) {
      std::rethrow_exception(slot.Error);
    }
    if (!take(i, *slot.Value)) {
      return;
    }
    if (idle) {
      idle();
    }
  }
}

}  // namespace zunkaro
