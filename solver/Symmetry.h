#pragma once

#include "solver/Cubies.h"

namespace gyrelle::solver {

// The eight turns of the whole cube that keep the U-D axis where it is: a quarter turn
// about it (as U turns) `b` times, after a half turn about the F-B axis (as F2) or not;
// symmetry a * 4 + b. A cube seen turned so, S C S^-1, is as many turns from solved as C
// by turns of the same kinds, renamed: the phase-2 tables keep one entry for all eight.
namespace symmetry {

constexpr int kCount = 8;

const Cubies& cube(int s);
// The symmetry that is S_a S_b.
int times(int a, int b);
int inverse(int s);
// The face turn that is S_s t S_s^-1.
int turn(int s, int t);

}  // namespace symmetry
}  // namespace gyrelle::solver
