// Facts about the Mandelbrot set known without iterating, for checking
// rendered pictures independently of the renderer.
#ifndef MANDELDIVE_TESTS_PLANE_FACTS_H_
#define MANDELDIVE_TESTS_PLANE_FACTS_H_

namespace mandeldive {
namespace testing_facts {

// Inside the main cardioid by more than margin: q(q + x - 1/4) < y^2 / 4.
inline bool DeepInCardioid(double x, double y, double margin) {
  const double dx = x - 0.25;
  const double q = dx * dx + y * y;
  return q * (q + dx) < y * y / 4 - margin;
}

// Inside the period-2 disc of radius 1/4 around -1 by more than margin.
inline bool DeepInBulb(double x, double y, double margin) {
  return (x + 1) * (x + 1) + y * y < 1.0 / 16 - margin;
}

// |c| > 2 by more than margin: then |z1| >= |c|(|c| - 1) > 2, so the
// point escapes at the first iterate.
inline bool FarOutside(double x, double y, double margin) {
  return x * x + y * y > 4 + margin;
}

}  // namespace testing_facts
}  // namespace mandeldive

#endif  // MANDELDIVE_TESTS_PLANE_FACTS_H_
