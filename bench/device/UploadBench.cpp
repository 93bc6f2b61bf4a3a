// A full "Thermal" upload of 255 logos of 1,040 raster bytes each over TCP
// loopback to a printer that reads everything, through the real job
// object. Reports the wall time beyond the fixed 100 ms wait after ESC @
// and the job thread's CPU time per raster byte (the single-byte sends,
// the conversions and the file checks together).
//   bench_device --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "device/NVUploadCtrl.h"
#include "support/Bmp.h"
#include "support/Peers.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

constexpr int kLogos = 255;
constexpr int kWidth = 80, kHeight = 100;  // 80 x 104 padded: 1,040 bytes
constexpr double kRasterBytes = kLogos * 80.0 * 104.0 / 8.0;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_ThermalUploadTcp(benchmark::State& state) {
  test::TempDir dir;
  std::string list;
  for (int i = 0; i < kLogos; ++i) {
    const std::string name = "logo" + std::to_string(i) + ".bmp";
    dir.Write(name, test::Bmp1(kWidth, kHeight, false,
                               [i](int x, int y) { return (x + y + i) % 5 == 0; }));
    list += dir.File(name) + "|";
  }
  StderrMessageBox messages;
  CNVUploadCtrl ctrl(messages);
  const std::size_t expectedBytes = 3 + 2 + 3 + kLogos * (4 + 1040);

  double wall = 0, cpu = 0;
  for (auto _ : state) {
    test::TcpPeer peer;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuSeconds();
    const int result = ctrl.RunUploadTcp(0, "127.0.0.1", peer.PortText(), list, 0, 5);
    cpu += ThreadCpuSeconds() - cpuStart;
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    const std::size_t received = peer.Received().size();
    if (result != JobOk || received != expectedBytes) {
      state.SkipWithError("upload failed or incomplete");
      break;
    }
    state.ResumeTiming();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["wall_beyond_wait_ms"] = (wall / n - 0.100) * 1e3;
  state.counters["cpu_ns_per_raster_byte"] = cpu / n / kRasterBytes * 1e9;
  state.counters["raster_bytes"] = kRasterBytes;
}
BENCHMARK(BM_ThermalUploadTcp)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace brindle

BENCHMARK_MAIN();
