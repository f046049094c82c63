// The full-text benchmark's measurements: load rates by tenth, latency
// percentiles, peak memory and file sizes.
#include <time.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "tools/bench_fts.h"

namespace benchfts {

namespace {
ClockKind kClock = ClockKind::Wall;
}  // namespace

void set_clock(ClockKind kind) {
    kClock = kind;
}
ClockKind clock_kind() {
    return kClock;
}

double now_seconds() {
    timespec now{};
    ::clock_gettime(kClock == ClockKind::Cpu ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void LoadTimes::report(Figures& figures, const std::string& side) const {
    const std::size_t n = seconds.size();
    if (n == 0) return;
    const std::size_t tenth = std::max<std::size_t>(1, n / 10);
    auto window = [&](std::size_t from, std::size_t to, const std::string& name) {
        const double s = std::accumulate(seconds.begin() + static_cast<long>(from),
                                         seconds.begin() + static_cast<long>(to), 0.0);
        const double k = std::accumulate(keywords.begin() + static_cast<long>(from),
                                         keywords.begin() + static_cast<long>(to), 0.0);
        const std::string prefix = side + ".index." + name;
        figures[prefix + ".docs_per_s"] = static_cast<double>(to - from) / s;
        figures[prefix + ".keywords_per_s"] = k / s;
        figures[prefix + ".seconds"] = s;
    };
    window(0, tenth, "first");
    window(n - tenth, n, "last");
    window(0, n, "all");
    figures[side + ".documents"] = static_cast<double>(n);
}

void report_latencies(Figures& figures, const std::string& prefix, std::vector<double> ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    figures[prefix + ".median_ms"] = n % 2 == 1 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(n)));
    figures[prefix + ".p99_ms"] = ms[std::max<std::size_t>(rank, 1) - 1];
}

double peak_memory_mb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) return std::atof(line.c_str() + 6) / 1024;
    }
    return 0;
}

double files_mb(const std::vector<std::string>& paths) {
    double bytes = 0;
    for (const std::string& path : paths) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec) bytes += static_cast<double>(size);
    }
    return bytes / (1024 * 1024);
}

}  // namespace benchfts
