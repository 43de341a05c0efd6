// The counted page allocator and the allocation balance check.
#pragma once

#include <cstdint>

extern uint32_t AllocCount; // successful AllocBlock calls
extern uint32_t ReleaseCount; // successful FreeBlock calls

// Whole zero-filled pages straight from the operating system; null on failure.
void* AllocBlock(uint32_t size);

// Makes the k-th AllocBlock call from now on fail as if the system had no memory (that
// one call only; later calls succeed). 0 never fails. Tests walk every k a path reaches.
void FailAllocationAt(uint32_t k);

// AllocBlock calls since the last FailAllocationAt, failed ones included.
uint32_t AllocationCalls();

// 0 released, 1 null pointer, -1 refused by the operating system. Only 0 is counted.
int FreeBlock(void* pointer);

// 0 when every block was released; otherwise tells the programmer and returns 1.
int CheckMemoryBalance();

// A task-modal box "Programmer Error" with the text; returns 0.
int ShowProgrammerError(const char* text);
