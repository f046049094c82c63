// The progress bar on standard error.
#include "cli/progress_bar.h"

#include <unistd.h>

#include <fmt/core.h>

#include <cstdio>

namespace cli {

namespace {

constexpr int kBarCells = 30;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

std::string clock_text(double seconds) {
    const auto whole = static_cast<long long>(seconds + 0.5);
    if (whole >= 3600)
        return fmt::format("{}:{:02}:{:02}", whole / 3600, whole / 60 % 60, whole % 60);
    return fmt::format("{}:{:02}", whole / 60, whole % 60);
}

}  // namespace

std::string progress_line(const std::string& label, const std::string& unit, std::uint64_t done,
                          std::uint64_t total, double seconds, int width) {
    const double part = total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
    const int filled = static_cast<int>(part * width);
    std::string bar(static_cast<std::size_t>(filled), '=');
    if (filled < width) bar += '>';
    bar.resize(static_cast<std::size_t>(width), ' ');
    std::string line = fmt::format("{} [{}] {}/{} {}", label, bar, done, total, unit);
    if (seconds > 0 && done > 0) {
        const double rate = static_cast<double>(done) / seconds;
        line += fmt::format("  {:.1f}/s", rate);
        if (done < total)
            line += "  " + clock_text(static_cast<double>(total - done) / rate) + " left";
    }
    return line;
}

ProgressBar::ProgressBar(std::string label, std::string unit, std::uint64_t total,
                         std::uint64_t minimum)
    : label_(std::move(label)),
      unit_(std::move(unit)),
      total_(total),
      enabled_(::isatty(STDERR_FILENO) != 0 && total > minimum),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_ - kRedrawEvery) {}

void ProgressBar::update(std::uint64_t done) {
    done_ = done;
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDraw_ < kRedrawEvery && done < total_ && drawn_) return;
    lastDraw_ = now;
    draw();
}

void ProgressBar::draw() {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    fmt::print(stderr, "\r{}\x1b[K",
               progress_line(label_, unit_, done_, total_, seconds, kBarCells));
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::clear() {
    if (!drawn_) return;
    fmt::print(stderr, "\r\x1b[K");
    std::fflush(stderr);
    drawn_ = false;
}

}  // namespace cli
