// CPU cost of the kit's lock commands against the in-process simulated lock (no added latency).
//
// Each benchmark runs one command over and over on one contact (opened and selected once), and
// replays the raw commands of one run straight into the lock as often, with the same harness,
// so the simulator's CPU time is measured apart and the kit's share is the difference:
//   exchanges     raw tag exchanges per command
//   all_ns/exch   thread CPU time per exchange, kit and simulator together (median of batches)
//   sim_ns/exch   the simulator alone, replaying the same exchanges
//   kit_ns/exch   all minus sim: framing, cipher, the tag link and the coroutine frames
// The time column of the library is the whole command, simulator included.
#include <time.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>
#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/sim/simulated_lock.h"

namespace {

using namespace tavrix;

std::int64_t threadCpuNs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return std::int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

// Forwards to the lock, keeping the raw commands while recording.
class RecordingTag final : public NFCTag {
 public:
  explicit RecordingTag(NFCTag& inner) : inner_(inner) {}

  asio::awaitable<Bytes> transceive(Bytes data) override {
    if (recording_) {
      commands_.push_back(data);
    }
    co_return co_await inner_.transceive(std::move(data));
  }

  void record(bool on) { recording_ = on; }
  const std::vector<Bytes>& commands() const { return commands_; }

 private:
  NFCTag& inner_;
  bool recording_ = false;
  std::vector<Bytes> commands_;
};

struct Contact {
  NFCTag& tag;
  Device d;
  Bytes key;
  Bytes sKey;
  DeviceInfo info;
};

using Command = std::function<asio::awaitable<Result>(Contact&)>;

template <class T>
asio::awaitable<Result> resultOf(asio::awaitable<Outcome<T>> aw) {
  const Outcome<T> out = co_await std::move(aw);
  co_return out.result();
}

Result runOnce(asio::io_context& ctx, asio::awaitable<Result> aw) {
  Result result = Result::ERROR;
  asio::co_spawn(ctx, std::move(aw), [&result](std::exception_ptr e, Result r) {
    if (!e) {
      result = r;
    }
  });
  ctx.run();
  ctx.restart();
  return result;
}

asio::awaitable<Result> replay(NFCTag& lock, std::vector<Bytes> commands) {
  for (Bytes& c : commands) {
    benchmark::DoNotOptimize(co_await lock.transceive(c));
  }
  co_return Result::OK;
}

asio::awaitable<Result> openContact(Contact& c) {
  const auto device = co_await DeviceManager::init(c.tag);
  if (!device.isOk()) {
    co_return device.result();
  }
  c.d = *device.value();
  co_return co_await DeviceManager::select(c.tag, c.d, UserType::SUPERVISOR);
}

void runCommand(benchmark::State& state, const Command& command) {
  sim::LockConfig config;
  config.log = {{1700000000, "alice", 1}, {1700000100, "bob", 2}};
  sim::SimulatedLock lock(config);
  RecordingTag tag(lock);
  asio::io_context ctx;
  const DeviceInfo info(config.id, config.isNew);
  Contact c{tag, Device(config.startAddress),
            DeviceManager::enc(DeviceManager::toFixed16(config.password), info),
            DeviceManager::toFixed16(config.supervisorSecret), info};
  if (runOnce(ctx, openContact(c)) != Result::OK) {
    state.SkipWithError("the simulated lock could not be opened");
    return;
  }
  tag.record(true);
  if (runOnce(ctx, command(c)) != Result::OK) {
    state.SkipWithError("command failed");
    return;
  }
  tag.record(false);
  const std::vector<Bytes>& commands = tag.commands();

  // The simulator's share, measured apart: batches of command runs alternate with batches of
  // replays, and the medians of the batches are kept, so a busy machine skews neither side.
  constexpr int kRounds = 31;
  constexpr int kBatch = 16;
  std::vector<double> all;
  std::vector<double> sim;
  for (int round = 0; round < kRounds; ++round) {
    std::int64_t t0 = threadCpuNs();
    for (int i = 0; i < kBatch; ++i) {
      runOnce(ctx, command(c));
    }
    std::int64_t t1 = threadCpuNs();
    for (int i = 0; i < kBatch; ++i) {
      runOnce(ctx, replay(lock, commands));
    }
    std::int64_t t2 = threadCpuNs();
    const double exchanges = static_cast<double>(commands.size()) * kBatch;
    all.push_back(static_cast<double>(t1 - t0) / exchanges);
    sim.push_back(static_cast<double>(t2 - t1) / exchanges);
  }
  const auto median = [](std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
  };
  const double allNs = median(all);
  const double simNs = median(sim);

  // What the library reports: the whole command, simulator included.
  for (auto _ : state) {
    if (runOnce(ctx, command(c)) != Result::OK) {
      state.SkipWithError("command failed");
      return;
    }
  }

  state.counters["exchanges"] = static_cast<double>(commands.size());
  state.counters["all_ns/exch"] = allNs;
  state.counters["sim_ns/exch"] = simNs;
  state.counters["kit_ns/exch"] = allNs - simNs;
}

void BM_init(benchmark::State& s) {
  runCommand(s, [](Contact& c) { return resultOf(DeviceManager::init(c.tag)); });
}
void BM_getRssi(benchmark::State& s) {
  runCommand(s, [](Contact& c) { return resultOf(DeviceManager::getRssi(c.tag, c.d)); });
}
void BM_getInfo(benchmark::State& s) {
  runCommand(s, [](Contact& c) { return resultOf(DeviceManager::getInfo(c.tag, c.d)); });
}
void BM_select(benchmark::State& s) {
  runCommand(s, [](Contact& c) { return DeviceManager::select(c.tag, c.d, UserType::SUPERVISOR); });
}
void BM_getVersion(benchmark::State& s) {
  runCommand(s, [](Contact& c) { return resultOf(DeviceManager::getVersion(c.tag, c.d, c.key)); });
}
void BM_getChargeLevel(benchmark::State& s) {
  runCommand(s,
             [](Contact& c) { return resultOf(DeviceManager::getChargeLevel(c.tag, c.d, c.key)); });
}
void BM_control(benchmark::State& s) {
  runCommand(s, [](Contact& c) { return DeviceManager::control(c.tag, c.d, c.key, Ctrl::UNLOCK); });
}
void BM_getControlProgress(benchmark::State& s) {
  runCommand(
      s, [](Contact& c) { return resultOf(DeviceManager::getControlProgress(c.tag, c.d, c.key)); });
}
void BM_setKey(benchmark::State& s) {
  // Installs the key the lock already has, so every iteration starts from the same lock.
  runCommand(s,
             [](Contact& c) { return DeviceManager::setKey(c.tag, c.d, c.info, c.key, c.sKey); });
}
void BM_setParameters(benchmark::State& s) {
  const Parameters p{static_cast<Met>(s.range(0)), CV::MEDIUM, 1200, 40, 60};
  runCommand(s, [p](Contact& c) { return DeviceManager::setParameters(c.tag, c.d, c.key, p); });
}
void BM_getLog(benchmark::State& s) {
  runCommand(s, [](Contact& c) { return resultOf(DeviceManager::getLog(c.tag, c.d, c.key)); });
}

BENCHMARK(BM_init);
BENCHMARK(BM_getRssi);
BENCHMARK(BM_getInfo);
BENCHMARK(BM_select);
BENCHMARK(BM_getVersion);
BENCHMARK(BM_getChargeLevel);
BENCHMARK(BM_control);
BENCHMARK(BM_getControlProgress);
BENCHMARK(BM_setKey);
BENCHMARK(BM_setParameters)->ArgName("method")->Arg(1)->Arg(2)->Arg(3);
BENCHMARK(BM_getLog);

}  // namespace

BENCHMARK_MAIN();
