// Music on SDL2_mixer under the dummy audio driver: what decodes plays in a
// loop, what does not leaves the output silent and everything else working.
#include "platform/Audio.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A short 16-bit mono PCM WAV file.
std::string MakeWav() {
  const uint32_t rate = 44100, samples = 4410;
  std::string d;
  auto u32 = [&](uint32_t v) { d.append(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { d.append(reinterpret_cast<const char*>(&v), 2); };
  d += "RIFF";
  u32(36 + samples * 2);
  d += "WAVEfmt ";
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  d += "data";
  u32(samples * 2);
  for (uint32_t i = 0; i < samples; ++i)
    u16(static_cast<uint16_t>((i % 100) * 300));
  return d;
}

TEST(AudioTest, PlaysDecodableDataInALoopAndIgnoresGarbage) {
  if (!AudioInit(1, 44100, 0, 0))
    GTEST_SKIP() << "no audio output on this machine";
  EXPECT_TRUE(AudioStart());
  EXPECT_TRUE(AudioSetVolume(40));

  const char garbage[] = "this is not music at all, just bytes";
  EXPECT_EQ(AudioSampleLoad(garbage, sizeof garbage, 1, 0x20000), 0u);
  EXPECT_EQ(AudioSampleLoad(nullptr, 0, 1, 0x20000), 0u);
  EXPECT_FALSE(AudioSamplePlay(0, 100, true));
  EXPECT_FALSE(AudioPlaying());

  std::string wav = MakeWav();
  AudioSample s = AudioSampleLoad(wav.data(), wav.size(), 1, 0x20000);
  ASSERT_NE(s, 0u);
  memset(wav.data(), 0, wav.size()); // the sample keeps its own copy
  EXPECT_TRUE(AudioSamplePlay(s, 100, true));
  EXPECT_TRUE(AudioPlaying());
  EXPECT_TRUE(AudioStop());
  EXPECT_FALSE(AudioPlaying());
  EXPECT_TRUE(AudioFree());
  EXPECT_FALSE(AudioFree());
}

TEST(AudioTest, CallsWithoutAnOpenOutputFailQuietly) {
  EXPECT_FALSE(AudioStart());
  EXPECT_FALSE(AudioStop());
  EXPECT_FALSE(AudioFree());
  const char bytes[] = "x";
  EXPECT_EQ(AudioSampleLoad(bytes, 1, 1, 0), 0u);
  EXPECT_FALSE(AudioSamplePlay(1, 100, true));
}

} // namespace
