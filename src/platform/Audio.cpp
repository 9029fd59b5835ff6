#include "platform/Audio.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace {

struct SampleRecord {
  std::vector<uint8_t> bytes; // SDL2_mixer streams from these while playing
  Mix_Music* music = nullptr;
};

bool audioOpen = false;
uint32_t masterVolume = 100;
uint32_t playVolume = 100;
std::map<AudioSample, SampleRecord> samples;
AudioSample nextSample = 1;

void ApplyVolume() {
  if (!audioOpen)
    return;
  uint32_t v = masterVolume * playVolume * MIX_MAX_VOLUME / 10000;
  Mix_VolumeMusic(static_cast<int>(v));
}

} // namespace

bool AudioInit(int device, uint32_t frequency, uint32_t flags, uintptr_t window) {
  if (audioOpen)
    return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    return false;
  if (Mix_OpenAudio(static_cast<int>(frequency), MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_Init(MIX_INIT_OGG);
  audioOpen = true;
  return true;
}

bool AudioStart() {
  if (!audioOpen)
    return false;
  Mix_ResumeMusic();
  return true;
}

bool AudioSetVolume(uint32_t volume) {
  masterVolume = volume > 100 ? 100 : volume;
  ApplyVolume();
  return audioOpen;
}

AudioSample AudioSampleLoad(const void* data, size_t length, uint32_t maxPlaybacks,
                            uint32_t flags) {
  if (!audioOpen || !data || length == 0 || length > 0x7fffffff)
    return 0;
  SampleRecord rec;
  rec.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
  SDL_RWops* rw = SDL_RWFromConstMem(rec.bytes.data(), static_cast<int>(rec.bytes.size()));
  if (!rw)
    return 0;
  rec.music = Mix_LoadMUS_RW(rw, 1);
  if (!rec.music)
    return 0;
  AudioSample h = nextSample++;
  // The vector's buffer does not move when the record is moved into the map.
  samples[h] = std::move(rec);
  return h;
}

bool AudioSamplePlay(AudioSample sample, uint32_t volume, bool loop) {
  auto it = samples.find(sample);
  if (!audioOpen || it == samples.end())
    return false;
  playVolume = volume > 100 ? 100 : volume;
  ApplyVolume();
  return Mix_PlayMusic(it->second.music, loop ? -1 : 1) == 0;
}

bool AudioStop() {
  if (!audioOpen)
    return false;
  Mix_HaltMusic();
  return true;
}

bool AudioFree() {
  if (!audioOpen)
    return false;
  Mix_HaltMusic();
  for (auto& [h, rec] : samples)
    Mix_FreeMusic(rec.music);
  samples.clear();
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  audioOpen = false;
  return true;
}

bool AudioPlaying() { return audioOpen && Mix_PlayingMusic() != 0; }
