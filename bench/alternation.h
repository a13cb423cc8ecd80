// Times two pieces of work alternately, sample by sample, and keeps the median of each. On a
// machine shared with other work both see the same load, and the median leaves out the samples
// in which the process waited for a processor: their ratio holds where the times alone do not.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace swkv::bench {

class Alternation {
 public:
  // One sample of each: batch runs of a, then batch runs of b.
  template <class A, class B>
  void Sample(A&& a, B&& b, int batch = 1) {
    auto t0 = Clock::now();
    for (int i = 0; i < batch; ++i) a();
    auto t1 = Clock::now();
    for (int i = 0; i < batch; ++i) b();
    auto t2 = Clock::now();
    m_a.push_back(std::chrono::duration<double>(t1 - t0).count() / batch);
    m_b.push_back(std::chrono::duration<double>(t2 - t1).count() / batch);
  }
  // Seconds per run.
  double MedianA() { return Median(m_a); }
  double MedianB() { return Median(m_b); }

 private:
  using Clock = std::chrono::steady_clock;
  static double Median(std::vector<double>& samples) {
    if (samples.empty()) return 0;
    auto middle = samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2);
    std::nth_element(samples.begin(), middle, samples.end());
    return *middle;
  }
  std::vector<double> m_a, m_b;
};

}  // namespace swkv::bench
