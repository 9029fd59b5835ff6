#include "platform/Clock.h"

#include <SDL2/SDL.h>
#include <ctime>

namespace {
bool fakeCounter = false;
uint64_t fakeCounterValue = 0;
bool timeOverride = false;
int overrideHour = 0, overrideMinute = 0, overrideSecond = 0;
} // namespace

uint64_t PerformanceCounter() {
  if (fakeCounter)
    return fakeCounterValue;
  return SDL_GetPerformanceCounter();
}

uint64_t PerformanceFrequency() {
  if (fakeCounter)
    return 1000000;
  return SDL_GetPerformanceFrequency();
}

void UseFakePerformanceCounter(bool on, uint64_t start) {
  fakeCounter = on;
  fakeCounterValue = start;
}

void AdvanceFakePerformanceCounter(uint64_t ticks) { fakeCounterValue += ticks; }

void GetLocalTimeOfDay(int* hour, int* minute, int* second) {
  int h, m, s;
  if (timeOverride) {
    h = overrideHour;
    m = overrideMinute;
    s = overrideSecond;
  } else {
    time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    h = local.tm_hour;
    m = local.tm_min;
    s = local.tm_sec > 59 ? 59 : local.tm_sec;
  }
  if (hour)
    *hour = h;
  if (minute)
    *minute = m;
  if (second)
    *second = s;
}

void SetLocalTimeOverride(int hour, int minute, int second) {
  timeOverride = true;
  overrideHour = hour;
  overrideMinute = minute;
  overrideSecond = second;
}

void ClearLocalTimeOverride() { timeOverride = false; }
