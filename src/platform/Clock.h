// Time: the performance counter (QueryPerformanceCounter/Frequency) and the
// local time of day (GetLocalTime). Tests can fix both.
#pragma once
#include <cstdint>

// QueryPerformanceCounter / QueryPerformanceFrequency.
uint64_t PerformanceCounter();
uint64_t PerformanceFrequency();

// Test hook: while on, the counter is a number that only moves with
// AdvanceFakePerformanceCounter (frequency 1,000,000 ticks per second).
void UseFakePerformanceCounter(bool on, uint64_t start = 1000000);
void AdvanceFakePerformanceCounter(uint64_t ticks);

// GetLocalTime: hour 0 to 23, minute 0 to 59, second 0 to 59 (any may be null).
void GetLocalTimeOfDay(int* hour, int* minute, int* second);

// Test hook: GetLocalTimeOfDay answers this time until cleared.
void SetLocalTimeOverride(int hour, int minute, int second);
void ClearLocalTimeOverride();
