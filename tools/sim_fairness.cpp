// Whether a tournament's wins are spread as chance would spread them between equal sides.
#include "sim_fairness.h"

#include "Tethrix.h"

#include <algorithm>
#include <cmath>

double TwoSidedBinomialP(int k, int n) {
  if (n <= 0 || k < 0 || k > n) return 1;
  // With p = 1/2 the distribution is symmetric: twice the tail beyond the smaller count.
  const int low = std::min(k, n - k);
  double term = std::pow(0.5, n), tail = 0; // C(n, 0) / 2^n
  for (int i = 0; i <= low; i++) {
    tail += term;
    term = term * (n - i) / (i + 1);
  }
  return std::min(1.0, 2 * tail);
}

bool TeamShareFlagged(int k, int n) { return TwoSidedBinomialP(k, n) < kFairnessLevel; }

// Closed forms for a whole number of degrees of freedom: a Poisson sum when even, erfc
// and a series when odd.
double ChiSquareTail(double x, int df) {
  if (x <= 0 || df <= 0) return 1;
  const double half = x / 2;
  double sum = 0, term = 1;
  if (df % 2 == 0) {
    for (int k = 0; k < df / 2; k++) {
      sum += term;
      term *= half / (k + 1);
    }
    return std::min(1.0, std::exp(-half) * sum);
  }
  term = 1;
  for (int k = 1; k <= (df - 1) / 2; k++) {
    sum += term;
    term *= x / (2 * k + 1);
  }
  return std::min(1.0, std::erfc(std::sqrt(half)) + std::sqrt(2 * x / kPi) * std::exp(-half) * sum);
}

double ChiSquareEvenP(const std::vector<int> &wins) {
  const int slots = static_cast<int>(wins.size());
  long total = 0;
  for (int w : wins) total += w;
  if (slots < 2 || total <= 0) return 1;
  const double expected = static_cast<double>(total) / slots;
  double x = 0;
  for (int w : wins) x += (w - expected) * (w - expected) / expected;
  return ChiSquareTail(x, slots - 1);
}

bool SlotSpreadFlagged(const std::vector<int> &wins) { return ChiSquareEvenP(wins) < kFairnessLevel; }
