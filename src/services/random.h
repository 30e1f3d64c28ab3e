#pragma once
// The two random generators: the default one and the fast one, each seeded
// from a number of seconds.
namespace svc {

enum RandomAlgorithm { defaultGenerator = 0, fastGenerator = 2 };
void seedRandom(double seed, int algorithm);
// The next number in [0, 1) of the selected generator; with n = 0 the last again.
double randomUnit(float n = 1.0f);
// The default generator, seeded with 0, as at program start (tests).
void resetRandom();

}  // namespace svc
