// A progress bar on standard error for long commands: done out of total,
// the rate and the time left, redrawn in place a few times a second. It is
// drawn only when standard error is a terminal, so pipes and logs stay clean.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace cli {

class ProgressBar {
  public:
    // unit names what is counted ("files", "records"). The bar shows only
    // when standard error is a terminal and total is above minimum.
    ProgressBar(std::string label, std::string unit, std::uint64_t total,
                std::uint64_t minimum = 0);
    ~ProgressBar() { clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    bool shown() const { return enabled_; }
    void setLabel(std::string label) { label_ = std::move(label); }
    // done out of the total; redraws when the last drawing is old enough or
    // the work is complete.
    void update(std::uint64_t done);
    // Takes the bar off the line (before other output; the next update
    // draws it again).
    void clear();

  private:
    void draw();

    std::string label_;
    std::string unit_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

// The bar's line for these figures (no terminal codes): label, bar of width
// cells, done/total, rate per second and time left.
std::string progress_line(const std::string& label, const std::string& unit, std::uint64_t done,
                          std::uint64_t total, double seconds, int width);

}  // namespace cli
