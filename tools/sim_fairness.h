// Whether a tournament's wins are spread as chance would spread them between equal sides.
#pragma once

#include <vector>

constexpr double kFairnessLevel = 0.05; // a share is flagged when chance gives it under 5%

// Exact two-sided binomial test of k wins in n matches for one of two equal teams (p = 1/2):
// the chance of a split at least as uneven as k to n - k. 1 for no matches.
double TwoSidedBinomialP(int k, int n);
bool TeamShareFlagged(int k, int n);

// Pearson's chi-square test of wins spread over equal slots (every slot expected to win
// alike), with slots - 1 degrees of freedom. Rough when a slot expects under 5 wins.
double ChiSquareTail(double x, int degreesOfFreedom); // the chance of a statistic above x
double ChiSquareEvenP(const std::vector<int> &wins);
bool SlotSpreadFlagged(const std::vector<int> &wins);
