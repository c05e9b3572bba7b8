#include <cmath>
#include <numbers>

#include "Reference.h"

namespace tapestra::reference {

namespace {

double Square(double x) {
  return x * x;
}
double Cubed(double x) {
  return x * x * x;
}

// The kernel table, each formula as written, powers first, terms left to right.
double K(TResizeMode mode, double t) {
  const double pi = std::numbers::pi;
  switch (mode) {
    case TResizeMode::rmBicubic:
      if (t < 1) return (t - 1) * (Square(t) - t - 1);
      return -((t - 1) * Square(t - 2));
    case TResizeMode::rmHermite:
      return (2 * t - 3) * Square(t) + 1;
    case TResizeMode::rmMitchell:
      if (t < 1) return (7.0 / 6.0) * Cubed(t) - 2 * Square(t) + 8.0 / 9.0;
      return 2 * Square(t) - (10.0 / 3.0) * t - (7.0 / 18.0) * Cubed(t) + 16.0 / 9.0;
    case TResizeMode::rmBell:
      if (t < 0.5) return 0.75 - Square(t);
      if (t < 1.5) return 0.5 * Square(t - 1.5);
      return 0;
    case TResizeMode::rmLanczos:
      if (t == 0) return 1;
      return std::sin(pi * t) * std::sin((pi / 2) * t) / ((pi * pi / 2) * Square(t));
    case TResizeMode::rmLagrange:
      if (t < 1) return 0.5 * (t - 2) * (t + 1) * (t - 1);
      return (3 - t) * (t - 2) * (t - 1) / 6;
    default:
      return 0;
  }
}

}  // namespace

std::uint8_t AdjustByte(double value) {
  if (value < 0) return 0;
  if (value > 255) return 255;
  double whole = std::floor(value);
  const double frac = value - whole;
  if (frac > 0.5 || (frac == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  return static_cast<std::uint8_t>(whole);
}

Bitmap24 Resize(const Bitmap24& src, int rwidth, int rheight, TResizeMode mode) {
  const int W = src.width(), H = src.height();
  const double wfactor = static_cast<double>(W) / rwidth;
  const double hfactor = static_cast<double>(H) / rheight;
  Bitmap24 out;
  out.resize(rwidth, rheight);
  auto px = [&](int x, int y) { return src.row(y) + 3 * x; };
  for (int iy = 0; iy < rheight; ++iy) {
    for (int ix = 0; ix < rwidth; ++ix) {
      const double sx = wfactor * ix;
      const double sy = hfactor * iy;
      std::uint8_t* o = out.row(iy) + 3 * ix;
      if (mode == TResizeMode::rmNearest) {
        int x = static_cast<int>(std::nearbyint(sx));
        int y = static_cast<int>(std::nearbyint(sy));
        if (x > W - 1) x = W - 1;
        if (y > H - 1) y = H - 1;
        for (int ch = 0; ch < 3; ++ch) o[ch] = px(x, y)[ch];
        continue;
      }
      if (mode == TResizeMode::rmBilinear) {
        int x0 = static_cast<int>(std::trunc(sx));
        int y0 = static_cast<int>(std::trunc(sy));
        if (x0 < 0) x0 = 0;
        if (y0 < 0) y0 = 0;
        int x1 = x0 + 1;
        int y1 = y0 + 1;
        if (x0 + 1 > W - 1) x1 = x0;
        if (y0 + 1 > H - 1) y1 = y0;
        const double dx = sx - x0;
        const double dy = sy - y0;
        for (int ch = 0; ch < 3; ++ch) {
          const double top = px(x0, y0)[ch] * (1 - dx) + px(x1, y0)[ch] * dx;
          const double bottom = px(x0, y1)[ch] * (1 - dx) + px(x1, y1)[ch] * dx;
          o[ch] = AdjustByte(top * (1 - dy) + bottom * dy);
        }
        continue;
      }
      const int fx = static_cast<int>(std::trunc(sx));
      const int fy = static_cast<int>(std::trunc(sy));
      double wx[4] = {}, wy[4] = {};
      if (mode == TResizeMode::rmBSpline) {
        const double u = sx - fx, v = sy - fy;
        wx[0] = Cubed(1 - u) / 6;
        wx[1] = (Cubed(2 - u) - 4 * Cubed(1 - u)) / 6;
        wx[2] = (Cubed(3 - u) - 4 * Cubed(2 - u) + 6 * Cubed(1 - u)) / 6;
        wx[3] = (Cubed(4 - u) - 4 * Cubed(3 - u) + 6 * Cubed(2 - u) - 4 * Cubed(1 - u)) / 6;
        wy[0] = (Cubed(v + 3) - 4 * Cubed(v + 2) + 6 * Cubed(v + 1) - 4 * Cubed(v)) / 6;
        wy[1] = (Cubed(v + 2) - 4 * Cubed(v + 1) + 6 * Cubed(v)) / 6;
        wy[2] = (Cubed(v + 1) - 4 * Cubed(v)) / 6;
        wy[3] = Cubed(v) / 6;
      }
      const bool hermite = mode == TResizeMode::rmHermite;
      const int lo = hermite ? 0 : -1, hi = hermite ? 1 : 2;
      double sum[3] = {0, 0, 0};
      for (int r = fy + lo; r <= fy + hi; ++r) {
        for (int c = fx + lo; c <= fx + hi; ++c) {
          int rr = r, cc = c;
          if (hermite) {
            if (c > W - 1) cc = fx;
            if (r > H - 1) rr = fy;
          } else {
            if (c < 0 || c > W - 1) cc = fx;
            if (r < 0 || r > H - 1) rr = fy;
          }
          double weight;
          if (mode == TResizeMode::rmBSpline) {
            weight = wx[c - (fx - 1)] * wy[r - (fy - 1)];
          } else {
            weight = K(mode, std::fabs(sx - c)) * K(mode, std::fabs(sy - r));
          }
          for (int ch = 0; ch < 3; ++ch) sum[ch] += px(cc, rr)[ch] * weight;
        }
      }
      for (int ch = 0; ch < 3; ++ch) o[ch] = AdjustByte(sum[ch]);
    }
  }
  return out;
}

}  // namespace tapestra::reference
