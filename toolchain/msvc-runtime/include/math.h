// Wine's math.h, with what the UCRT's has for C++ that Wine's lacks: long double, which is
// double here, and the classification functions as functions rather than macros.
#pragma once

// Declared by Wine as imports, though ucrtbase exports neither; inline here, as in the UCRT.
#define fabsf __wine_fabsf
#define frexpf __wine_frexpf
#include_next <math.h>
#undef fabsf
#undef frexpf

// In C++ the classification functions are functions, as the UCRT has them, not Wine's macros.
#undef fpclassify
#undef signbit
#undef isinf
#undef isnan
#undef isnormal
#undef isfinite
#undef isgreater
#undef isgreaterequal
#undef isless
#undef islessequal
#undef islessgreater
#undef isunordered

extern "C++" {
template <class _Ty>
inline int fpclassify(_Ty _X) noexcept {
    return __builtin_fpclassify(FP_NAN, FP_INFINITE, FP_NORMAL, FP_SUBNORMAL, FP_ZERO, _X);
}
template <class _Ty>
inline bool signbit(_Ty _X) noexcept {
    return __builtin_signbit(_X);
}
template <class _Ty>
inline bool isinf(_Ty _X) noexcept {
    return __builtin_isinf(_X);
}
template <class _Ty>
inline bool isnan(_Ty _X) noexcept {
    return __builtin_isnan(_X);
}
template <class _Ty>
inline bool isnormal(_Ty _X) noexcept {
    return __builtin_isnormal(_X);
}
template <class _Ty>
inline bool isfinite(_Ty _X) noexcept {
    return __builtin_isfinite(_X);
}
template <class _Ty1, class _Ty2>
inline bool isgreater(_Ty1 _X, _Ty2 _Y) noexcept {
    return __builtin_isgreater(_X, _Y);
}
template <class _Ty1, class _Ty2>
inline bool isgreaterequal(_Ty1 _X, _Ty2 _Y) noexcept {
    return __builtin_isgreaterequal(_X, _Y);
}
template <class _Ty1, class _Ty2>
inline bool isless(_Ty1 _X, _Ty2 _Y) noexcept {
    return __builtin_isless(_X, _Y);
}
template <class _Ty1, class _Ty2>
inline bool islessequal(_Ty1 _X, _Ty2 _Y) noexcept {
    return __builtin_islessequal(_X, _Y);
}
template <class _Ty1, class _Ty2>
inline bool islessgreater(_Ty1 _X, _Ty2 _Y) noexcept {
    return __builtin_islessgreater(_X, _Y);
}
template <class _Ty1, class _Ty2>
inline bool isunordered(_Ty1 _X, _Ty2 _Y) noexcept {
    return __builtin_isunordered(_X, _Y);
}
}

extern "C" {
inline float __cdecl fabsf(float _X) noexcept {
    return static_cast<float>(fabs(_X));
}
inline float __cdecl frexpf(float _X, int* _Exponent) noexcept {
    return static_cast<float>(frexp(_X, _Exponent));
}
typedef float float_t;
typedef double double_t;
_ACRTIMP double __cdecl fma(double, double, double);
_ACRTIMP float __cdecl fmaf(float, float, float);
_ACRTIMP double __cdecl erfc(double);
_ACRTIMP double __cdecl nan(char const*);
_ACRTIMP float __cdecl nanf(char const*);
_ACRTIMP float __cdecl erfcf(float);
_ACRTIMP float __cdecl nexttowardf(float, long double);

inline long double __cdecl acosl(long double _X) noexcept {
    return acos(static_cast<double>(_X));
}
inline long double __cdecl asinl(long double _X) noexcept {
    return asin(static_cast<double>(_X));
}
inline long double __cdecl atanl(long double _X) noexcept {
    return atan(static_cast<double>(_X));
}
inline long double __cdecl cosl(long double _X) noexcept {
    return cos(static_cast<double>(_X));
}
inline long double __cdecl sinl(long double _X) noexcept {
    return sin(static_cast<double>(_X));
}
inline long double __cdecl tanl(long double _X) noexcept {
    return tan(static_cast<double>(_X));
}
inline long double __cdecl acoshl(long double _X) noexcept {
    return acosh(static_cast<double>(_X));
}
inline long double __cdecl asinhl(long double _X) noexcept {
    return asinh(static_cast<double>(_X));
}
inline long double __cdecl atanhl(long double _X) noexcept {
    return atanh(static_cast<double>(_X));
}
inline long double __cdecl coshl(long double _X) noexcept {
    return cosh(static_cast<double>(_X));
}
inline long double __cdecl sinhl(long double _X) noexcept {
    return sinh(static_cast<double>(_X));
}
inline long double __cdecl tanhl(long double _X) noexcept {
    return tanh(static_cast<double>(_X));
}
inline long double __cdecl expl(long double _X) noexcept {
    return exp(static_cast<double>(_X));
}
inline long double __cdecl exp2l(long double _X) noexcept {
    return exp2(static_cast<double>(_X));
}
inline long double __cdecl expm1l(long double _X) noexcept {
    return expm1(static_cast<double>(_X));
}
inline long double __cdecl logl(long double _X) noexcept {
    return log(static_cast<double>(_X));
}
inline long double __cdecl log10l(long double _X) noexcept {
    return log10(static_cast<double>(_X));
}
inline long double __cdecl log1pl(long double _X) noexcept {
    return log1p(static_cast<double>(_X));
}
inline long double __cdecl log2l(long double _X) noexcept {
    return log2(static_cast<double>(_X));
}
inline long double __cdecl logbl(long double _X) noexcept {
    return logb(static_cast<double>(_X));
}
inline long double __cdecl cbrtl(long double _X) noexcept {
    return cbrt(static_cast<double>(_X));
}
inline long double __cdecl fabsl(long double _X) noexcept {
    return fabs(static_cast<double>(_X));
}
inline long double __cdecl sqrtl(long double _X) noexcept {
    return sqrt(static_cast<double>(_X));
}
inline long double __cdecl erfl(long double _X) noexcept {
    return erf(static_cast<double>(_X));
}
inline long double __cdecl erfcl(long double _X) noexcept {
    return erfc(static_cast<double>(_X));
}
inline long double __cdecl lgammal(long double _X) noexcept {
    return lgamma(static_cast<double>(_X));
}
inline long double __cdecl tgammal(long double _X) noexcept {
    return tgamma(static_cast<double>(_X));
}
inline long double __cdecl ceill(long double _X) noexcept {
    return ceil(static_cast<double>(_X));
}
inline long double __cdecl floorl(long double _X) noexcept {
    return floor(static_cast<double>(_X));
}
inline long double __cdecl nearbyintl(long double _X) noexcept {
    return nearbyint(static_cast<double>(_X));
}
inline long double __cdecl rintl(long double _X) noexcept {
    return rint(static_cast<double>(_X));
}
inline long double __cdecl roundl(long double _X) noexcept {
    return round(static_cast<double>(_X));
}
inline long double __cdecl truncl(long double _X) noexcept {
    return trunc(static_cast<double>(_X));
}
inline long double __cdecl atan2l(long double _X, long double _Y) noexcept {
    return atan2(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl fmodl(long double _X, long double _Y) noexcept {
    return fmod(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl powl(long double _X, long double _Y) noexcept {
    return pow(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl hypotl(long double _X, long double _Y) noexcept {
    return hypot(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl fdiml(long double _X, long double _Y) noexcept {
    return fdim(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl fmaxl(long double _X, long double _Y) noexcept {
    return fmax(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl fminl(long double _X, long double _Y) noexcept {
    return fmin(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl copysignl(long double _X, long double _Y) noexcept {
    return copysign(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl nextafterl(long double _X, long double _Y) noexcept {
    return nextafter(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl remainderl(long double _X, long double _Y) noexcept {
    return remainder(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl frexpl(long double _X, int* _Exponent) noexcept {
    return frexp(static_cast<double>(_X), _Exponent);
}
inline long double __cdecl ldexpl(long double _X, int _Exponent) noexcept {
    return ldexp(static_cast<double>(_X), _Exponent);
}
inline long double __cdecl modfl(long double _X, long double* _Whole) noexcept {
    double _Part = 0;
    const double _Fraction = modf(static_cast<double>(_X), &_Part);
    *_Whole = _Part;
    return _Fraction;
}
inline long double __cdecl scalbnl(long double _X, int _N) noexcept {
    return scalbn(static_cast<double>(_X), _N);
}
inline long double __cdecl scalblnl(long double _X, long _N) noexcept {
    return scalbln(static_cast<double>(_X), _N);
}
inline int __cdecl ilogbl(long double _X) noexcept {
    return ilogb(static_cast<double>(_X));
}
inline long __cdecl lrintl(long double _X) noexcept {
    return lrint(static_cast<double>(_X));
}
inline long long __cdecl llrintl(long double _X) noexcept {
    return llrint(static_cast<double>(_X));
}
inline long __cdecl lroundl(long double _X) noexcept {
    return lround(static_cast<double>(_X));
}
inline long long __cdecl llroundl(long double _X) noexcept {
    return llround(static_cast<double>(_X));
}
inline long double __cdecl remquol(long double _X, long double _Y, int* _Quotient) noexcept {
    return remquo(static_cast<double>(_X), static_cast<double>(_Y), _Quotient);
}
inline long double __cdecl fmal(long double _X, long double _Y, long double _Z) noexcept {
    return fma(static_cast<double>(_X), static_cast<double>(_Y), static_cast<double>(_Z));
}
inline long double __cdecl nexttowardl(long double _X, long double _Y) noexcept {
    return nextafter(static_cast<double>(_X), static_cast<double>(_Y));
}
inline long double __cdecl nanl(char const* _Tag) noexcept {
    return nan(_Tag);
}
}
