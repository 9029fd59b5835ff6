// Music: our stand-in for the BASS calls the saver makes, built on SDL2_mixer.
// Every call may fail quietly (no audio device, data that does not decode):
// the saver then runs silent and nothing else changes.
#pragma once
#include <cstddef>
#include <cstdint>

using AudioSample = uintptr_t; // 0: none

// BASS_Init: opens the output device at the given rate (stereo). device and
// window are accepted and not needed here.
bool AudioInit(int device, uint32_t frequency, uint32_t flags, uintptr_t window);
// BASS_Start: lets the output run (resumes it after AudioStop).
bool AudioStart();
// BASS_SetVolume: master volume 0 to 100 (applied together with the volume
// of each playback).
bool AudioSetVolume(uint32_t volume);
// BASS_SampleLoad from memory: keeps its own copy of the bytes (an Ogg Vorbis
// file or anything else SDL2_mixer decodes). 0 when it cannot be decoded or
// the output is not open.
AudioSample AudioSampleLoad(const void* data, size_t length, uint32_t maxPlaybacks, uint32_t flags);
// BASS_SamplePlayEx: plays the sample from the start at volume 0 to 100,
// looping when loop is set. False when nothing could be played.
bool AudioSamplePlay(AudioSample sample, uint32_t volume, bool loop);
// BASS_Stop: stops everything playing.
bool AudioStop();
// BASS_Free: frees every sample and closes the output.
bool AudioFree();

// Whether a sample is playing now (tests).
bool AudioPlaying();
