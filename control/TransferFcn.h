#pragma once

namespace Tarn {

// A layer's transfer function: applied to each neuron's summed input.
using TransferFcn = double (*)(double);

// 1 / (e^(-x) + 1); tends to 0 and 1 without overflow errors since
// an infinite exponential just makes the quotient 0.
double logsig(double x);
// 2 / (e^(-2x) + 1) - 1, the same shape stretched to -1 .. 1.
double tansig(double x);
// x, unchanged.
double purelin(double x);

} // namespace Tarn
