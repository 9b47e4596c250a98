// The output-buffer layer on its own: buffers mixed into the capture sink,
// cursors, loops, frequency, the volume and pan laws, duplicates, deferred
// 3D settings, and what each effect does to a signal.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/ds_3d.h"
#include "platform/ds_buffer.h"
#include "platform/ds_device.h"
#include "platform/ds_effects.h"

namespace {

class DsLayer : public testing::Test {
 protected:
  void SetUp() override {
    sys_audio_set_default_sink(SYS_AUDIO_SINK_CAPTURE);
    ASSERT_EQ(ds_create(&dev_), DS_OK);
    ASSERT_EQ(dev_->Initialize(nullptr), DS_OK);
    ASSERT_EQ(dev_->SetCooperativeLevel(ds_create_hidden_window("t"), DSSCL_NORMAL), DS_OK);
  }
  void TearDown() override {
    dev_->Release();
    sys_audio_set_default_sink(SYS_AUDIO_SINK_AUTO);
    ds_set_faults(0);
    EXPECT_EQ(ds_live_objects(), 0);
  }
  // A 16-bit buffer holding the samples.
  DsBuffer* buffer(const std::vector<int16_t>& samples, int channels, uint32_t flags,
                   uint32_t rate = 44100) {
    SysWaveFormat f = {SYS_WAVE_FORMAT_PCM, static_cast<uint16_t>(channels), rate,
                       rate * 2 * channels, static_cast<uint16_t>(2 * channels), 16, 0};
    DsBufferDesc d;
    d.flags = flags | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_GETCURRENTPOSITION2;
    d.bufferBytes = static_cast<uint32_t>(samples.size() * 2);
    d.format = &f;
    DsBuffer* b = nullptr;
    EXPECT_EQ(dev_->CreateSoundBuffer(&d, &b), DS_OK);
    if (!b) return nullptr;
    void *p1, *p2;
    uint32_t n1, n2;
    EXPECT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    memcpy(p1, samples.data(), n1);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    return b;
  }
  static std::vector<int16_t> capture(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    EXPECT_EQ(sys_audio_capture(out.data(), frames), frames);
    return out;
  }
  DsDevice* dev_ = nullptr;
};

std::vector<int16_t> ramp(int n) {
  std::vector<int16_t> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<int16_t>(100 + 7 * i));
  return v;
}

double rms(const std::vector<float>& x, size_t from, size_t to) {
  double s = 0;
  for (size_t i = from; i < to; ++i) s += static_cast<double>(x[i]) * x[i];
  return std::sqrt(s / static_cast<double>(to - from));
}

// Stereo frames of a sine (both channels).
std::vector<float> sine(int frames, double hz, double amplitude) {
  std::vector<float> x(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i)
    x[2 * i] = x[2 * i + 1] = static_cast<float>(amplitude * std::sin(2 * M_PI * hz * i / 44100));
  return x;
}

std::vector<float> run(DsEffectKind kind, const void* params, std::vector<float> x) {
  auto fx = ds_fx_make(kind, 44100);
  EXPECT_NE(fx, nullptr);
  if (params) {
    EXPECT_EQ(fx->setParams(params), DS_OK);
  }
  fx->process(x.data(), static_cast<int>(x.size() / 2));
  return x;
}

}  // namespace

TEST_F(DsLayer, CursorsLoopsStopsAndFrequency) {
  std::vector<int16_t> mono = ramp(1000);
  DsBuffer* b = buffer(mono, 1, DSBCAPS_CTRLPAN);
  uint32_t play = 1, write = 1, status = 9;
  ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
  EXPECT_EQ(play, 0u);
  EXPECT_EQ(write, 0u);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  std::vector<int16_t> out = capture(400);
  for (int i = 0; i < 400; ++i) ASSERT_TRUE(out[2 * i] == mono[i] && out[2 * i + 1] == mono[i]) << i;
  b->GetCurrentPosition(&play, &write);
  EXPECT_EQ(play, 800u);
  EXPECT_EQ(write, 800u + 441 * 2);  // 10 ms ahead while playing
  b->GetStatus(&status);
  EXPECT_EQ(status, DSBSTATUS_PLAYING);
  // Without looping the buffer stops at its end and the rest is silence.
  out = capture(700);
  EXPECT_EQ(out[2 * 599], mono[999]);
  EXPECT_EQ(out[2 * 600], 0);
  b->GetStatus(&status);
  EXPECT_EQ(status, 0u);
  // Played to its end, the buffer's cursor is back at the start: Play
  // plays it again from its first frame.
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 0u);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  EXPECT_EQ(capture(1)[0], mono[0]);
  b->Stop();

  // Looping goes round without a gap; Stop keeps the position.
  ASSERT_EQ(b->SetCurrentPosition(1800), DS_OK);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  b->GetStatus(&status);
  EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  out = capture(2100);
  for (int i = 0; i < 2100; ++i) ASSERT_EQ(out[2 * i], mono[(900 + i) % 1000]) << i;
  b->Stop();
  capture(100);
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 0u);  // round to the start again, and still while stopped
  EXPECT_EQ(b->SetCurrentPosition(2000), DS_ERR_INVALIDPARAM);

  // Half the frequency: the cursor moves half as fast.
  ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
  ASSERT_EQ(b->SetFrequency(22050), DS_OK);
  uint32_t hz = 0;
  b->GetFrequency(&hz);
  EXPECT_EQ(hz, 22050u);
  b->Play(0, 0, DSBPLAY_LOOPING);
  out = capture(200);
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 200u);
  EXPECT_NEAR(out[2 * 1], (mono[0] + mono[1]) / 2.0, 0.5);  // halfway between two frames
  // Between the last frame and the next: the first when looping, the last
  // itself when not.
  for (uint32_t flags : {static_cast<uint32_t>(DSBPLAY_LOOPING), 0u}) {
    b->Stop();
    ASSERT_EQ(b->SetCurrentPosition(2 * 999), DS_OK);
    b->Play(0, 0, flags);
    out = capture(2);
    EXPECT_EQ(out[0], mono[999]);
    EXPECT_NEAR(out[2], flags ? (mono[999] + mono[0]) / 2.0 : mono[999], 0.5) << flags;
  }
  b->Stop();
  EXPECT_EQ(b->SetFrequency(50), DS_ERR_INVALIDPARAM);
  EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
  b->GetFrequency(&hz);
  EXPECT_EQ(hz, 44100u);
  b->Release();
}

TEST_F(DsLayer, VolumeAndPanLawsInHundredthsOfADecibel) {
  std::vector<int16_t> mono(4000, 20000);
  DsBuffer* b = buffer(mono, 1, DSBCAPS_CTRLPAN);
  b->Play(0, 0, DSBPLAY_LOOPING);
  ASSERT_EQ(b->SetVolume(-600), DS_OK);  // -6 dB
  std::vector<int16_t> out = capture(10);
  EXPECT_NEAR(out[0], 20000 * std::pow(10.0, -0.3), 1);
  EXPECT_EQ(out[0], out[1]);
  b->SetVolume(0);
  ASSERT_EQ(b->SetPan(-10000), DS_OK);  // full left: the right side is silent
  out = capture(10);
  EXPECT_EQ(out[0], 20000);
  EXPECT_EQ(out[1], 0);
  ASSERT_EQ(b->SetPan(2000), DS_OK);  // right: the left side 20 dB down
  out = capture(10);
  EXPECT_NEAR(out[0], 2000, 1);
  EXPECT_EQ(out[1], 20000);
  b->SetVolume(-10000);
  out = capture(10);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(b->SetVolume(1), DS_ERR_INVALIDPARAM);
  EXPECT_EQ(b->SetPan(10001), DS_ERR_INVALIDPARAM);
  b->Release();
}

TEST_F(DsLayer, LockRegionsAndDuplicatesShareTheirMemory) {
  std::vector<int16_t> mono = ramp(1000);
  DsBuffer* a = buffer(mono, 1, DSBCAPS_CTRLPAN | DSBCAPS_STATIC);
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_EQ(a->Lock(1900, 400, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(n1, 100u);
  EXPECT_EQ(n2, 300u);
  EXPECT_EQ(static_cast<char*>(p1) - static_cast<char*>(p2), 1900);
  static_cast<int16_t*>(p2)[0] = -5;
  ASSERT_EQ(a->Unlock(p1, n1, p2, n2), DS_OK);
  EXPECT_EQ(a->Unlock(p1, n1, p2, n2), DS_ERR_INVALIDPARAM);  // not locked any more
  EXPECT_EQ(a->Lock(2000, 2, &p1, &n1, &p2, &n2, 0), DS_ERR_INVALIDPARAM);

  DsBuffer* b = nullptr;
  ASSERT_EQ(dev_->DuplicateSoundBuffer(a, &b), DS_OK);
  EXPECT_TRUE(b->sharesMemoryWith(a));
  a->Release();  // the memory lives on in the duplicate
  b->Play(0, 0, 0);
  std::vector<int16_t> out = capture(2);
  EXPECT_EQ(out[0], -5);
  EXPECT_EQ(out[2], mono[1]);

  // An effect chain belongs to one buffer; 3D needs one channel.
  DsBuffer* fx = buffer(mono, 1, DSBCAPS_CTRLPAN | DSBCAPS_CTRLFX);
  DsBuffer* none = nullptr;
  EXPECT_EQ(dev_->DuplicateSoundBuffer(fx, &none), DS_ERR_INVALIDCALL);
  SysWaveFormat st = {SYS_WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  DsBufferDesc d;
  d.flags = DSBCAPS_CTRL3D;
  d.bufferBytes = 400;
  d.format = &st;
  EXPECT_EQ(dev_->CreateSoundBuffer(&d, &none), DS_ERR_INVALIDPARAM);
  EXPECT_EQ(none, nullptr);
  fx->Release();
  b->Release();
}

TEST_F(DsLayer, DeferredListenerAnd3DPlacement) {
  DsBufferDesc pd;
  pd.flags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
  DsBuffer* primary = nullptr;
  ASSERT_EQ(dev_->CreateSoundBuffer(&pd, &primary), DS_OK);
  DsListener* l = nullptr;
  ASSERT_EQ(primary->QueryListener(&l), DS_OK);
  primary->Release();
  std::vector<int16_t> mono(44100, 10000);
  DsBuffer* b = buffer(mono, 1, DSBCAPS_CTRL3D);
  Ds3DBuffer* b3 = nullptr;
  ASSERT_EQ(b->Query3DBuffer(&b3), DS_OK);
  b->Play(0, 0, DSBPLAY_LOOPING);
  std::vector<int16_t> out = capture(4);
  EXPECT_EQ(out[0], 10000);  // at the listener: full volume both sides
  EXPECT_EQ(out[1], 10000);

  // Deferred: nothing changes until the commit.
  b3->SetPosition(10, 0, 0, DS3D_DEFERRED);
  l->SetPosition(1, 0, 0, DS3D_DEFERRED);
  float pos[3];
  l->GetPosition(pos);
  EXPECT_EQ(pos[0], 0);
  out = capture(4);
  EXPECT_EQ(out[0], 10000);
  ASSERT_EQ(l->CommitDeferredSettings(), DS_OK);
  l->GetPosition(pos);
  EXPECT_EQ(pos[0], 1);
  // 9 units away with minimum distance 1: a ninth; to the right (+x with
  // the default orientation), so the left side is quieter.
  out = capture(4);
  EXPECT_NEAR(out[1], 10000 / 9.0, 2);
  EXPECT_LT(out[0], out[1] / 4);
  // Roll-off 0: no fall-off with distance.
  l->SetRolloffFactor(0, DS3D_IMMEDIATE);
  out = capture(4);
  EXPECT_EQ(out[1], 10000);
  EXPECT_EQ(l->SetRolloffFactor(11, DS3D_IMMEDIATE), DS_ERR_INVALIDPARAM);
  // Distances are positive and finite.
  for (float bad : {0.0f, -1.0f, NAN, INFINITY}) {
    EXPECT_EQ(b3->SetMinDistance(bad, DS3D_IMMEDIATE), DS_ERR_INVALIDPARAM) << bad;
    EXPECT_EQ(b3->SetMaxDistance(bad, DS3D_IMMEDIATE), DS_ERR_INVALIDPARAM) << bad;
  }

  // Doppler: coming closer at a tenth of the speed of sound raises the pitch.
  b3->SetVelocity(-34.33f, 0, 0, DS3D_IMMEDIATE);
  uint32_t before = 0, after = 0;
  b->GetCurrentPosition(&before, nullptr);
  capture(1000);
  b->GetCurrentPosition(&after, nullptr);
  EXPECT_NEAR((after - before) / 2.0, 1000 / 0.9, 2);
  b3->Release();
  b->Release();
  l->Release();
}

// The 3D law alone: full volume up to the minimum distance, min / (min +
// roll-off x (d - min)) beyond it, no further fall-off past the maximum (a
// maximum below the minimum is the minimum); Doppler as (c - listener's
// approach) / (c - sound's approach) in metres, within 0.25 to 4.
TEST(Ds3D, DistanceAndDopplerLaws) {
  const struct {
    float minD, maxD, rolloff, d, gain;
  } distances[] = {{1, 1e9f, 1, 0.5f, 1},  {1, 1e9f, 1, 4, 0.25f}, {2, 4, 1, 10, 0.5f},
                   {2, 1, 1, 10, 1},       {1, 1e9f, 2, 3, 0.2f},  {1, 1e9f, 0, 50, 1}};
  for (const auto& c : distances) {
    Ds3DListenerState l;
    l.rolloffFactor = c.rolloff;
    Ds3DBufferState b;
    b.minDistance = c.minD;
    b.maxDistance = c.maxD;
    b.position[2] = c.d;
    EXPECT_NEAR(ds_3d_compute(l, b).gain, c.gain, 1e-6) << c.minD << " " << c.maxD << " " << c.d;
  }
  const double c = 343.3;
  const struct {
    float soundV, listenerV, distanceFactor, doppler;
    double pitch;
  } moves[] = {
      {-34.33f, 0, 1, 1, c / (c - 34.33)},     // the sound comes closer
      {34.33f, 0, 1, 1, c / (c + 34.33)},      // and goes away
      {-17.165f, 0, 2, 1, c / (c - 34.33)},    // two metres a unit
      {0, 34.33f, 1, 1, (c + 34.33) / c},      // the listener comes closer
      {-1000, 0, 1, 1, 4},                     // faster than 0.9 c: at most 4
      {0, -300, 1, 1, 0.25},                   // the listener flees: at least 0.25
      {-34.33f, 0, 1, 0, 1},                   // no Doppler
  };
  for (const auto& m : moves) {
    Ds3DListenerState l;
    l.distanceFactor = m.distanceFactor;
    l.dopplerFactor = m.doppler;
    l.velocity[2] = m.listenerV;
    Ds3DBufferState b;
    b.position[2] = 10;
    b.velocity[2] = m.soundV;
    EXPECT_NEAR(ds_3d_compute(l, b).pitch, m.pitch, 1e-6) << m.soundV << " " << m.listenerV;
  }
}

TEST_F(DsLayer, EffectChainOnABufferAndItsParameters) {
  std::vector<int16_t> mono(8820, 0);
  mono[0] = 30000;  // one click
  DsBuffer* b = buffer(mono, 1, DSBCAPS_CTRLPAN | DSBCAPS_CTRLFX);
  DsEffectKind kinds[2] = {DSFX_ECHO, DSFX_PARAMEQ};
  b->Play(0, 0, DSBPLAY_LOOPING);
  EXPECT_EQ(b->SetFX(2, kinds, nullptr), DS_ERR_INVALIDCALL);  // not while playing
  b->Stop();
  b->SetCurrentPosition(0);
  int32_t results[2];
  ASSERT_EQ(b->SetFX(2, kinds, results), DS_OK);
  DsEffect* echo = nullptr;
  ASSERT_EQ(b->GetObjectInPath(DSFX_ECHO, 0, &echo), DS_OK);
  DsFxEcho p;
  p.wetDryMix = 50;
  p.feedback = 0;
  p.leftDelay = p.rightDelay = 100;
  EXPECT_EQ(echo->SetAllParameters(&p), DS_OK);
  p.leftDelay = 2001;
  EXPECT_EQ(echo->SetAllParameters(&p), DS_ERR_INVALIDPARAM);
  DsFxEcho back;
  echo->GetAllParameters(&back);
  EXPECT_EQ(back.leftDelay, 100);
  b->Play(0, 0, 0);
  std::vector<int16_t> out = capture(8820);
  EXPECT_EQ(out[0], 15000);     // half dry
  EXPECT_EQ(out[2 * 4410], 15000);  // half wet, 100 ms later
  EXPECT_EQ(out[2 * 4411], 0);
  DsEffect* none = nullptr;
  EXPECT_EQ(b->GetObjectInPath(DSFX_GARGLE, 0, &none), DS_ERR_NOINTERFACE);
  echo->Release();
  b->Release();
}

TEST(DsEffects, EachEffectShapesTheSignalAsItsParametersSay) {
  // Echo: the click again at each channel's own delay, fed back once more.
  std::vector<float> click(44100 * 2, 0.0f);
  click[0] = click[1] = 1000;
  DsFxEcho echo;
  echo.wetDryMix = 100;
  echo.feedback = 50;
  echo.leftDelay = 250;
  echo.rightDelay = 500;
  std::vector<float> y = run(DSFX_ECHO, &echo, click);
  EXPECT_FLOAT_EQ(y[0], 0);
  EXPECT_FLOAT_EQ(y[2 * 11025], 1000);
  EXPECT_FLOAT_EQ(y[2 * 22050], 500);
  EXPECT_FLOAT_EQ(y[2 * 22050 + 1], 1000);

  // Gargle: a steady signal comes out modulated at the rate.
  std::vector<float> steady(44100 * 2, 1000.0f);
  DsFxGargle g;
  g.rateHz = 10;
  g.waveShape = 0;  // triangle: silent at the start of each period, full halfway
  y = run(DSFX_GARGLE, &g, steady);
  EXPECT_NEAR(y[0], 0, 1);
  EXPECT_NEAR(y[2 * 2205], 1000, 1);
  EXPECT_NEAR(y[2 * 4410], 0, 1);
  EXPECT_NEAR(y[2 * 6615], 1000, 1);
  g.waveShape = 1;  // square: on for the first half, off for the second
  y = run(DSFX_GARGLE, &g, steady);
  EXPECT_EQ(y[2 * 1000], 1000);
  EXPECT_EQ(y[2 * 3000], 0);

  // Equaliser: +12 dB at the centre, nearly nothing two octaves away.
  DsFxParamEq eq;
  eq.center = 1000;
  eq.bandwidth = 12;
  eq.gain = 12;
  std::vector<float> at = sine(44100, 1000, 1000), far = sine(44100, 250, 1000);
  EXPECT_NEAR(rms(run(DSFX_PARAMEQ, &eq, at), 20000, 88200) / rms(at, 20000, 88200),
              std::pow(10.0, 12 / 20.0), 0.05);
  EXPECT_NEAR(rms(run(DSFX_PARAMEQ, &eq, far), 20000, 88200) / rms(far, 20000, 88200), 1.0, 0.25);

  // Reverbs: a click leaves a tail that dies away over the decay time.
  DsFxI3DL2Reverb room;
  room.decayTime = 1.0f;
  y = run(DSFX_I3DL2REVERB, &room, click);
  double early = rms(y, 2 * 2205, 2 * 8820), late = rms(y, 2 * 35000, 2 * 44100);
  EXPECT_GT(early, 1.0);
  EXPECT_LT(late, early / 10);
  DsFxWavesReverb waves;
  waves.reverbTime = 2000;
  y = run(DSFX_WAVESREVERB, &waves, click);
  EXPECT_GT(rms(y, 2 * 22050, 2 * 44100), 0.05);
  waves.reverbMix = -96;
  y = run(DSFX_WAVESREVERB, &waves, click);
  EXPECT_LT(rms(y, 2 * 22050, 2 * 44100), 1e-3);

  // Compressor: a loud tone above the threshold comes out quieter.
  DsFxCompressor comp;
  comp.threshold = -20;
  comp.ratio = 10;
  std::vector<float> loud = sine(44100, 440, 30000);
  EXPECT_LT(rms(run(DSFX_COMPRESSOR, &comp, loud), 44100, 88200), rms(loud, 44100, 88200) / 3);
  std::vector<float> quiet = sine(44100, 440, 300);
  EXPECT_NEAR(rms(run(DSFX_COMPRESSOR, &comp, quiet), 44100, 88200), rms(quiet, 44100, 88200), 5);

  // Distortion: its gain sets the level; edge makes it harsher.
  DsFxDistortion dist;
  dist.gain = -60;
  EXPECT_LT(rms(run(DSFX_DISTORTION, &dist, loud), 0, 88200), 40);
  dist.gain = 0;
  dist.edge = 100;
  EXPECT_GT(rms(run(DSFX_DISTORTION, &dist, loud), 0, 88200), 1000);

  // Chorus and flanger: nothing without wet signal, a changed signal with it.
  DsFxChorus ch;
  ch.wetDryMix = 0;
  std::vector<float> tone = sine(8820, 3000, 1000);
  EXPECT_EQ(run(DSFX_CHORUS, &ch, tone), tone);
  ch.wetDryMix = 100;
  std::vector<float> wet = run(DSFX_CHORUS, &ch, tone);
  EXPECT_GT(std::fabs(wet[2 * 5000] - tone[2 * 5000]) + std::fabs(wet[2 * 5001] - tone[2 * 5001]), 1);
  DsFxFlanger fl;
  fl.wetDryMix = 0;
  EXPECT_EQ(run(DSFX_FLANGER, &fl, tone), tone);
  fl.wetDryMix = 100;
  fl.phase = 4;  // the channels swept half a period apart
  wet = run(DSFX_FLANGER, &fl, tone);
  EXPECT_NE(wet[2 * 5000], wet[2 * 5000 + 1]);

  // Out-of-range blocks are refused and leave the effect as it was.
  auto fx = ds_fx_make(DSFX_GARGLE, 44100);
  g.rateHz = 0;
  EXPECT_EQ(fx->setParams(&g), DS_ERR_INVALIDPARAM);
  DsFxGargle kept;
  fx->getParams(&kept);
  EXPECT_EQ(kept.rateHz, 20u);
}
