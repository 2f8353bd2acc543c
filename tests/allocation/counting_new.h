#pragma once

// The program's operator new, replaced: it counts what is allocated and can be told to fail.
namespace allocation {

// Allocations made so far, and those not yet freed.
long long total();
long long live();

// The n-th allocation from now (1 is the next one) throws std::bad_alloc; the others succeed.
void failNth(long long n);
void disarm();

}  // namespace allocation
