// Composes the saver's ambient loop and writes it as Ogg Vorbis to
// <out>/music.ogg. A small synthesizer: soft pads (detuned wavetable voices
// with slow attacks and releases) over eight slow chords, a sine bass, a few
// quiet bell tones, and a ping-pong echo. Every sound that runs past the end
// of the loop is wrapped round to its start, and the echo runs over the loop
// several times before the last pass is kept, so the loop point has no click.
// Usage: gen_music <out>
#include "GenCommon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <vorbis/vorbisenc.h>

using gen::Lcg;
using gen::Pi;

namespace {

constexpr int Rate = 44100;
constexpr int ChordSeconds = 12;
constexpr int Chords = 8;
constexpr int LoopFrames = Rate * ChordSeconds * Chords; // 96 seconds

// MIDI notes of the chords (root first, the bass plays it two octaves down).
const int Progression[Chords][5] = {
    {50, 57, 60, 64, 69}, // D minor 9
    {46, 53, 57, 62, 65}, // B flat major 7
    {53, 57, 60, 64, 67}, // F major 9
    {48, 55, 62, 64, 67}, // C add 9
    {43, 50, 58, 62, 69}, // G minor 9
    {46, 53, 58, 62, 69}, // B flat with 9
    {45, 52, 55, 60, 64}, // A minor 7
    {45, 52, 57, 61, 64}, // A major, leading home
};

float NoteFrequency(float midi) { return 440.0f * std::pow(2.0f, (midi - 69.0f) / 12.0f); }

// A single cycle of a soft, warm wave: a few harmonics falling off quickly.
std::vector<float> PadTable() {
  const int n = 4096;
  std::vector<float> t(n + 1);
  const float amp[] = {1.0f, 0.42f, 0.22f, 0.12f, 0.07f, 0.04f, 0.02f};
  for (int i = 0; i <= n; ++i) {
    float p = 2 * Pi * i / n, s = 0;
    for (int k = 0; k < 7; ++k)
      s += amp[k] * std::sin((k + 1) * p);
    t[i] = s * 0.55f;
  }
  return t;
}

struct Stereo {
  std::vector<float> l, r;
  Stereo() : l(LoopFrames, 0.0f), r(LoopFrames, 0.0f) {}
  void Add(long frame, float a, float b) {
    long f = frame % LoopFrames;
    if (f < 0)
      f += LoopFrames;
    l[f] += a, r[f] += b;
  }
};

// Envelope of a pad: rises for `attack` seconds, holds, falls for `release`.
float PadEnvelope(float t, float length, float attack, float release) {
  if (t < attack)
    return 0.5f - 0.5f * std::cos(Pi * t / attack);
  if (t < length)
    return 1.0f;
  float r = (t - length) / release;
  return r >= 1 ? 0.0f : 0.5f + 0.5f * std::cos(Pi * r);
}

void Pad(Stereo& out, const std::vector<float>& table, float startSeconds, float lengthSeconds,
         float midi, float gain, float pan, Lcg& rng) {
  const float attack = 4.5f, release = 6.0f;
  const int voices = 3;
  float detune[voices] = {-0.07f, 0.0f, 0.08f};
  double phase[voices];
  double step[voices];
  float freq = NoteFrequency(midi);
  for (int v = 0; v < voices; ++v) {
    phase[v] = rng.Uniform();
    step[v] = freq * std::pow(2.0, detune[v] / 12.0) / Rate;
  }
  long start = static_cast<long>(startSeconds * Rate);
  long frames = static_cast<long>((lengthSeconds + release) * Rate);
  const int n = static_cast<int>(table.size()) - 1;
  float vibRate = 0.13f + 0.1f * rng.Uniform(), vibPhase = rng.Range(0, 2 * Pi);
  for (long i = 0; i < frames; ++i) {
    float t = static_cast<float>(i) / Rate;
    float env = PadEnvelope(t, lengthSeconds, attack, release) * gain;
    float sum[2] = {0, 0};
    float wobble = 1.0f + 0.0015f * std::sin(2 * Pi * vibRate * t + vibPhase);
    for (int v = 0; v < voices; ++v) {
      double p = phase[v] * n;
      int k = static_cast<int>(p);
      float f = static_cast<float>(p - k);
      float s = table[k] + (table[k + 1] - table[k]) * f;
      sum[v & 1] += s;
      if (v == 1)
        sum[0] += s * 0.5f, sum[1] += s * 0.5f;
      phase[v] += step[v] * wobble;
      if (phase[v] >= 1.0)
        phase[v] -= 1.0;
    }
    float l = (sum[0]) * env * (1 - pan), r = (sum[1]) * env * (1 + pan);
    out.Add(start + i, l, r);
  }
}

void Bass(Stereo& out, float startSeconds, float lengthSeconds, float midi, float gain) {
  const float release = 5.0f;
  float freq = NoteFrequency(midi);
  long start = static_cast<long>(startSeconds * Rate);
  long frames = static_cast<long>((lengthSeconds + release) * Rate);
  double phase = 0, step = freq / Rate;
  for (long i = 0; i < frames; ++i) {
    float t = static_cast<float>(i) / Rate;
    float env = PadEnvelope(t, lengthSeconds, 3.0f, release) * gain;
    float s = static_cast<float>(std::sin(2 * M_PI * phase) + 0.2 * std::sin(4 * M_PI * phase));
    out.Add(start + i, s * env, s * env);
    phase += step;
    if (phase >= 1.0)
      phase -= 1.0;
  }
}

void Bell(Stereo& out, float startSeconds, float midi, float gain, float pan) {
  float freq = NoteFrequency(midi);
  long start = static_cast<long>(startSeconds * Rate);
  long frames = static_cast<long>(5.0f * Rate);
  for (long i = 0; i < frames; ++i) {
    float t = static_cast<float>(i) / Rate;
    float env = (1 - std::exp(-t * 200)) * std::exp(-t * 1.1f) * gain;
    float s = std::sin(2 * Pi * freq * t) +
              0.35f * std::sin(2 * Pi * freq * 2.76f * t) * std::exp(-t * 2);
    out.Add(start + i, s * env * (1 - pan), s * env * (1 + pan));
  }
}

// Ping-pong echo with a darkening feedback, run round the loop three times so
// its tail at the end of the loop feeds its start.
void Echo(Stereo& s) {
  const long dl = static_cast<long>(0.47 * Rate), dr = static_cast<long>(0.71 * Rate);
  std::vector<float> bl(dl, 0.0f), br(dr, 0.0f);
  long il = 0, ir = 0;
  float lpL = 0, lpR = 0;
  Stereo wet;
  for (int pass = 0; pass < 3; ++pass)
    for (long i = 0; i < LoopFrames; ++i) {
      float outL = bl[il], outR = br[ir];
      lpL += 0.35f * (outR - lpL); // the left line is fed from the right
      lpR += 0.35f * (outL - lpR);
      bl[il] = s.l[i] * 0.5f + lpL * 0.55f;
      br[ir] = s.r[i] * 0.5f + lpR * 0.55f;
      il = (il + 1) % dl, ir = (ir + 1) % dr;
      if (pass == 2)
        wet.l[i] = outL, wet.r[i] = outR;
    }
  for (long i = 0; i < LoopFrames; ++i)
    s.l[i] += 0.6f * wet.l[i], s.r[i] += 0.6f * wet.r[i];
}

bool EncodeVorbis(const std::string& path, const Stereo& s) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 2, Rate, 0.2f) != 0) {
    std::fprintf(stderr, "vorbis encoder set-up failed\n");
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "TITLE", "Nimbrel ambient loop");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 0x4E4D4252); // fixed serial: the same bytes every build
  std::vector<uint8_t> bytes;
  auto take = [&](const ogg_page& page) {
    bytes.insert(bytes.end(), page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, comment, code;
  vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comment);
  ogg_stream_packetin(&os, &code);
  ogg_page page;
  while (ogg_stream_flush(&os, &page))
    take(page);
  const long chunk = 4096;
  bool eos = false;
  for (long pos = 0; !eos;) {
    long n = std::min(chunk, static_cast<long>(LoopFrames) - pos);
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      std::memcpy(buffer[0], &s.l[pos], n * sizeof(float));
      std::memcpy(buffer[1], &s.r[pos], n * sizeof(float));
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      pos += n;
    } else {
      vorbis_analysis_wrote(&vd, 0);
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet)) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page)) {
          take(page);
          if (ogg_page_eos(&page))
            eos = true;
        }
      }
    }
    if (n <= 0 && !eos) {
      // Everything handed over; flush what is left.
      while (ogg_stream_flush(&os, &page)) {
        take(page);
        if (ogg_page_eos(&page))
          eos = true;
      }
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return gen::WriteFile(path, bytes);
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_music <out>\n");
    return 2;
  }
  std::vector<float> table = PadTable();
  Stereo mix;
  Lcg rng(501);
  for (int c = 0; c < Chords; ++c) {
    float start = static_cast<float>(c * ChordSeconds);
    for (int k = 1; k < 5; ++k) {
      float pan = -0.45f + 0.3f * (k - 1) + 0.05f * rng.Range(-1, 1);
      Pad(mix, table, start, ChordSeconds - 1.5f, static_cast<float>(Progression[c][k]), 0.055f,
          pan, rng);
    }
    // The root an octave up, very soft, for air.
    Pad(mix, table, start + 1.0f, ChordSeconds - 3.0f, static_cast<float>(Progression[c][0] + 24),
        0.02f, 0.0f, rng);
    Bass(mix, start, ChordSeconds - 1.0f, static_cast<float>(Progression[c][0] - 12), 0.11f);
    // Two or three quiet bells on chord tones, at unhurried moments.
    int bells = 2 + static_cast<int>(rng.Next() % 2);
    for (int b = 0; b < bells; ++b) {
      float at = start + 2.0f + rng.Range(0, ChordSeconds - 3.0f);
      int note = Progression[c][1 + rng.Next() % 4] + 12;
      Bell(mix, at, static_cast<float>(note), 0.05f, rng.Range(-0.6f, 0.6f));
    }
  }
  Echo(mix);
  // Gentle limiter: scale to a safe peak, then soft-clip.
  float peak = 0;
  for (long i = 0; i < LoopFrames; ++i)
    peak = std::max(peak, std::max(std::fabs(mix.l[i]), std::fabs(mix.r[i])));
  float g = peak > 0 ? 0.7f / peak : 1.0f;
  for (long i = 0; i < LoopFrames; ++i) {
    mix.l[i] = std::tanh(mix.l[i] * g * 1.2f) / 1.2f;
    mix.r[i] = std::tanh(mix.r[i] * g * 1.2f) / 1.2f;
  }
  return EncodeVorbis(std::string(argv[1]) + "/music.ogg", mix) ? 0 : 1;
}
