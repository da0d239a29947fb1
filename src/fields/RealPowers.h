#pragma once
// Powers of ten in extended precision: exact up to 10^27, library powl
// beyond; scaling splits large exponents so no intermediate overflows.

long double PowerOf10(int n);
// x * 10^n for any n, without overflow of the power itself.
long double ScaleByPowerOf10(long double x, int n);
