#pragma once

// The locale a test program runs in. Each case whose name ends in
// "InEachLocale" runs plainly (LANG=C, which Wine makes US English) and once
// in each other locale below, which PELTERWYN_LANG then names
// (test/CMakeLists.txt).
namespace pelterwyn::testing {

// 0 to 3, in the order of PerLocale's members. A failure of the running case
// when the process's user locale or code page is not the one named.
int ThisLocale();

// A case's value in each locale, so that one case covers them all.
template <class T>
struct PerLocale {
  T enUs;  // code page 1252
  T de;    // comma decimal, "." groups thousands; code page 1252
  T fr;    // comma decimal, "." is no separator at all; code page 1252
  T ja;    // the double-byte code page 932

  const T& Current() const {
    const T* values[] = {&enUs, &de, &fr, &ja};
    return *values[ThisLocale()];
  }
};

}  // namespace pelterwyn::testing
