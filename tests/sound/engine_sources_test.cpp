// Sources by name, the streaming rule, 3D attenuation and pan, and engine
// creation and shutdown.
#include <cmath>
#include <atomic>
#include <functional>
#include <string>

#include "engine_fixture.h"
#include "sound/software_sound.h"
#include "sound_fixtures.h"

using namespace vavozovu;
using sndtest::channel;
using sndtest::EngineTest;
using sndtest::s16Format;

namespace {
std::string captureLog(const std::function<void()>& f) {
  testing::internal::CaptureStdout();
  f();
  return testing::internal::GetCapturedStdout();
}
}  // namespace

TEST_F(EngineTest, SourcesByName) {
  sndtest::TempDir dir;
  std::vector<int16_t> pcm(600, 1000);
  std::string wav = dir.file("tone.wav");
  sndtest::writeFile(wav, sndtest::pcmWav(1, 44100, 16, sndtest::s16Bytes(pcm)));
  vz_internal::setStdoutOutput(true);

  ISoundSource* a = engine_->addSoundSourceFromFile(wav.c_str(), ESM_AUTO_DETECT, true);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a->getSampleData(), nullptr);  // preloaded
  EXPECT_EQ(captureLog([&] { EXPECT_EQ(engine_->addSoundSourceFromFile(wav.c_str()), nullptr); }),
            "Cannot add sound source, it exists already: " + wav + "\n");
  EXPECT_EQ(engine_->getSoundSource(wav.c_str(), false), a);
  EXPECT_EQ(engine_->getSoundSource(-1), nullptr);
  EXPECT_EQ(engine_->getSoundSource(engine_->getSoundSourceCount()), nullptr);

  // An alias plays the same frames at its own default volume.
  ISoundSource* alias = engine_->addSoundSourceAlias(a, "quiet");
  // Default volumes are kept within 0..1; distances of 0 or less stand for
  // the engine's defaults.
  for (auto [set, kept] : {std::pair{-1.0f, 0.0f}, {0.0f, 0.0f}, {0.25f, 0.25f}, {1.0f, 1.0f}, {2.0f, 1.0f}}) {
    alias->setDefaultVolume(set);
    EXPECT_FLOAT_EQ(alias->getDefaultVolume(), kept) << set;
  }
  engine_->setDefault3DSoundMinDistance(3);
  engine_->setDefault3DSoundMaxDistance(30);
  for (float d : {-1.0f, 0.0f, 2.5f}) {
    alias->setDefaultMinDistance(d);
    alias->setDefaultMaxDistance(d);
    EXPECT_FLOAT_EQ(alias->getDefaultMinDistance(), d > 0 ? d : 3);
    EXPECT_FLOAT_EQ(alias->getDefaultMaxDistance(), d > 0 ? d : 30);
  }
  alias->setDefaultVolume(0.5f);
  engine_->play2D(alias);
  EXPECT_EQ(channel(capture(256), 0)[10], 500);

  // From memory: the file's bytes under any name.
  std::vector<uint8_t> bytes = sndtest::readFile(wav);
  ISoundSource* mem = engine_->addSoundSourceFromMemory(bytes.data(), static_cast<int32_t>(bytes.size()), "mem.wav");
  ASSERT_NE(mem, nullptr);
  bytes.assign(bytes.size(), 0);  // copied: the caller's block may go
  engine_->play2D(mem);
  EXPECT_EQ(channel(capture(256), 0)[10], 1000);
  EXPECT_EQ(captureLog([&] { engine_->addSoundSourceFromMemory(nullptr, 10, "empty"); }),
            "Cannot add sound source from empty memory: empty\n");
  // Raw samples: mono or stereo, 8 or 16 bits, at a rate.
  const struct {
    int channels, rate, format;  // a format past the last is held as a number, never as the enum
  } badFormats[] = {{3, 44100, ESF_S16}, {0, 44100, ESF_S16}, {1, 0, ESF_S16}, {1, 44100, ESF_S16 + 1}};
  for (const auto& bad : badFormats) {
    SAudioStreamFormat f = s16Format(bad.channels, bad.rate, 100);
    f.SampleFormat = static_cast<ESampleFormat>(bad.format);
    EXPECT_EQ(captureLog([&] { EXPECT_EQ(engine_->addSoundSourceFromPCMData(pcm.data(), 200, "raw", f), nullptr); }),
              "Cannot add sound source with an unsupported format: raw\n")
        << bad.channels << " " << bad.rate;
  }
  // The frame count never reaches past the caller's block.
  for (int32_t declared : {-1, 50, 100, 101, 1000}) {
    const SAudioStreamFormat f = s16Format(1, 44100, declared);
    std::string name = "fit" + std::to_string(declared);
    ISoundSource* fit = engine_->addSoundSourceFromPCMData(pcm.data(), 200, name.c_str(), f);
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(fit->getAudioFormat().FrameCount, declared == 50 ? 50 : 100) << declared;
  }
  // A sound with effects comes back even when not tracked: its effects are
  // the caller's to set.
  ISound* fx = engine_->play2D(a, false, false, false, true);
  ASSERT_NE(fx, nullptr);
  fx->stop();
  fx->drop();

  // play2D on an unknown file name registers it; the second call finds it.
  int before = engine_->getSoundSourceCount();
  std::string other = dir.file("other.wav");
  sndtest::writeFile(other, sndtest::pcmWav(1, 44100, 16, sndtest::s16Bytes(pcm)));
  engine_->play2D(other.c_str());
  engine_->play2D(other.c_str());
  EXPECT_EQ(engine_->getSoundSourceCount(), before + 1);
  EXPECT_TRUE(engine_->isCurrentlyPlaying(other.c_str()));

  // Names sort byte-wise, shorter prefix first.
  engine_->getSoundSource("b");
  engine_->getSoundSource("ab");
  engine_->getSoundSource("a");
  for (int i = 1; i < engine_->getSoundSourceCount(); ++i)
    EXPECT_LT(vz_internal::vzString::compare(engine_->getSoundSource(i - 1)->getName(),
                                             engine_->getSoundSource(i)->getName()),
              0);

  EXPECT_EQ(captureLog([&] { engine_->removeSoundSource("nope"); }),
            "Cannot find sound source to remove: nope\n");
  engine_->removeSoundSource(wav.c_str());
  EXPECT_EQ(engine_->getSoundSource(wav.c_str(), false), nullptr);
  EXPECT_EQ(captureLog([&] { EXPECT_EQ(engine_->play2D(dir.file("gone.wav").c_str(), false, false, true), nullptr); }),
            "Could not open sound file: " + dir.file("gone.wav") + "\n");
  std::string mp3 = dir.file("x.mp3");
  sndtest::writeFile(mp3, std::vector<uint8_t>(100, 1));
  std::string log = captureLog([&] { engine_->play2D(mp3.c_str()); });
  EXPECT_NE(log.find("Could not open audio stream for sound file (maybe the vavOzovu mp3 plugin is missing?): " + mp3),
            std::string::npos)
      << log;
  vz_internal::setStdoutOutput(false);
}

TEST_F(EngineTest, StreamingOrBufferedBySize) {
  sndtest::TempDir dir;
  auto stereoWav = [&](const char* name, int frames) {
    std::string p = dir.file(name);
    sndtest::writeFile(p, sndtest::pcmWav(2, 44100, 16, std::vector<uint8_t>(static_cast<size_t>(frames) * 4, 0)));
    return p;
  };
  std::string at = stereoWav("at.wav", 128000), over = stereoWav("over.wav", 128001);
  ISoundSource* a = engine_->addSoundSourceFromFile(at.c_str());
  ISoundSource* b = engine_->addSoundSourceFromFile(over.c_str());
  EXPECT_NE(a->getSampleData(), nullptr);
  EXPECT_EQ(a->getStreamMode(), ESM_NO_STREAMING);
  EXPECT_EQ(b->getSampleData(), nullptr);
  EXPECT_EQ(b->getStreamMode(), ESM_STREAMING);
  EXPECT_EQ(b->getPlayLength(), 128001 * 1000 / 44100);

  std::string big = stereoWav("big.wav", 500001);  // 2000004 bytes
  ISoundSource* forced = engine_->addSoundSourceFromFile(big.c_str(), ESM_NO_STREAMING);
  vz_internal::setStdoutOutput(true);
  std::string log = captureLog([&] { forced->getAudioFormat(); });
  vz_internal::setStdoutOutput(false);
  EXPECT_EQ(log, "No streaming was specified, but forcing to play sound streamed "
                 "(See ISoundSource::setForcedStreamingThreshold): " + big + "\n");
  EXPECT_EQ(forced->getStreamMode(), ESM_STREAMING);
  std::string big2 = stereoWav("big2.wav", 500001);
  ISoundSource* kept = engine_->addSoundSourceFromFile(big2.c_str(), ESM_NO_STREAMING);
  kept->setForcedStreamingThreshold(0);
  EXPECT_NE(kept->getSampleData(), nullptr);

  // A streamed Ogg sound plays what the decoder gives.
  std::string ogg = dir.file("m.ogg");
  sndtest::writeFile(ogg, sndtest::oggFile(2, 44100, 20000, 300));
  int ch, rate;
  std::vector<int16_t> direct = sndtest::decodeOggDirect(ogg, &ch, &rate);
  ISoundSource* music = engine_->addSoundSourceFromFile(ogg.c_str(), ESM_STREAMING);
  engine_->play2D(music);
  std::vector<int16_t> out = capture(8192);
  for (int i = 0; i < 2 * 8192; ++i) ASSERT_EQ(out[i], direct[i]) << i;
}

TEST_F(EngineTest, DistanceAttenuationAndPan) {
  std::vector<int16_t> s(20000, 8000);
  ISoundSource* src = pcmSource("s", s, 1, 44100);
  // Listener at the origin looking along +z.
  engine_->setListenerPosition(vec3df(0, 0, 0), vec3df(0, 0, 1));
  struct Case {
    vec3df at;
    int left, right;
  } cases[] = {
      {vec3df(0, 0, 1.5f), 8000, 8000}, {vec3df(0, 0, 2), 8000, 8000},
      {vec3df(0, 0, 3), 4000, 4000},    {vec3df(0, 0, 5), 2000, 2000},
      {vec3df(3, 0, 0), 0, 4000},       {vec3df(-3, 0, 0), 4000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.at.X << "," << c.at.Z);
    ISound* snd = engine_->play3D(src, c.at, false, false, true);
    std::vector<int16_t> out = capture(256);
    EXPECT_EQ(out[0], c.left);
    EXPECT_EQ(out[1], c.right);
    snd->stop();
    snd->drop();
  }
}

namespace {
// A software sound for the attenuation formula alone.
struct Probe {
  CVavOzovuSoftwareSound* sound = new CVirtualUnknown<CVavOzovuSoftwareSound>(
      nullptr, static_cast<IAudioStream*>(nullptr), false, 44100, 1.0f, 11.0f);
  ~Probe() { sound->drop(); }
};
}  // namespace

TEST(Attenuation, RolloffLawsAndPanAngles) {
  Probe p;
  CVavOzovuSoftwareSound* s = p.sound;
  s->set3D(true);
  vec3df origin, ahead(0, 0, 1), up(0, 1, 0);
  // Without a source the setters do nothing: the sound stays at the origin
  // and the listener moves instead.
  struct Case {
    float d;
    bool linear;
    float volume;
    float master;
  } cases[] = {{6, true, 0.5f, 1}, {11, true, 0.0f, 1}, {20, true, 0.0f, 1}, {0.5f, false, 1.0f, 1},
               {1, true, 1.0f, 1.5f}, {1, false, 1.0f, 1.5f}, {6, false, 0.4f, 2}};
  for (const Case& c : cases) {
    CVavOzovuSoftwareSound* t = new CVirtualUnknown<CVavOzovuSoftwareSound>(
        nullptr, static_cast<IAudioStream*>(nullptr), false, 44100, 1.0f, 11.0f);
    t->set3D(true);
    t->apply3DVolumeAndPan(c.master, vec3df(0, 0, -c.d), ahead, up, c.linear);
    EXPECT_NEAR(t->getBufferVolume(), c.volume, 1e-6) << c.d;
    EXPECT_NEAR(t->getBufferPan(), 0.0f, 1e-6);
    t->drop();
  }
  // A source nearer than the minimum keeps volume x master, even above 1.
  s->apply3DVolumeAndPan(1.5f, vec3df(0, 0, -0.5f), ahead, up, false);
  EXPECT_FLOAT_EQ(s->getBufferVolume(), 1.5f);
  // At the listener, or straight above it, a source is heard in the middle.
  for (vec3df at : {vec3df(0, 0, 0), vec3df(0, 3, 0)}) {
    s->apply3DVolumeAndPan(1.0f, at, ahead, up, false);
    EXPECT_FLOAT_EQ(s->getBufferPan(), 0.0f);
  }
  // Pan from the angle: right -0.5, left +0.5, behind -1.
  s->apply3DVolumeAndPan(1.0f, vec3df(-2, 0, 0), ahead, up, false);
  EXPECT_FLOAT_EQ(s->getBufferPan(), -0.5f);
  s->apply3DVolumeAndPan(1.0f, vec3df(2, 0, 0), ahead, up, false);
  EXPECT_FLOAT_EQ(s->getBufferPan(), 0.5f);
  s->apply3DVolumeAndPan(1.0f, vec3df(0, 0, 2), ahead, up, false);
  EXPECT_FLOAT_EQ(s->getBufferPan(), -1.0f);
  // An up vector of zero picks the (x, z) plane.
  s->apply3DVolumeAndPan(1.0f, vec3df(-2, 0, 0), ahead, vec3df(0, 0, 0), false);
  EXPECT_FLOAT_EQ(s->getBufferPan(), -0.5f);
  // 2D: own pan and volume x master, unchanged.
  s->set3D(false);
  s->apply3DVolumeAndPan(3.0f, origin, ahead, up, false);
  EXPECT_FLOAT_EQ(s->getBufferVolume(), 3.0f);
  // In the plane across the strongest axis of the up vector (ties go to y,
  // then x), a source ahead pans 0, to the right -0.5, to the left +0.5 and
  // behind -1; height along the up axis changes nothing.
  struct Plane {
    vec3df up;
    int p, q, u;  // axes: right, ahead, up
  } planes[] = {{vec3df(0, 1, 0), 0, 2, 1},  {vec3df(0, -3, 0), 0, 2, 1}, {vec3df(1, 0, 0), 1, 2, 0},
                {vec3df(0, 0, 2), 0, 1, 2},  {vec3df(1, 1, 0), 0, 2, 1},  {vec3df(0, 1, 1), 0, 2, 1},
                {vec3df(1, 0, 1), 1, 2, 0}};
  struct Where {
    float right, ahead, pan;
  } wheres[] = {{0, 1, 0},       {1, 0, -0.5f},  {-1, 0, 0.5f},  {0, -1, -1},
                {1, 1, -0.25f},  {-1, 1, 0.25f}, {1, -1, -0.75f}, {-1, -1, 0.75f}};
  for (const Plane& pl : planes) {
    for (const Where& w : wheres) {
      float look[3] = {0, 0, 0}, at[3] = {0, 0, 0};
      look[pl.q] = 1;
      look[pl.u] = 0.5f;
      at[pl.p] = 2 * w.right;
      at[pl.q] = 2 * w.ahead;
      at[pl.u] = 3;
      // The sound sits at the origin: the listener stands opposite.
      s->set3D(true);
      s->apply3DVolumeAndPan(1.0f, vec3df(-at[0], -at[1], -at[2]), vec3df(look[0], look[1], look[2]),
                             pl.up, false);
      EXPECT_NEAR(s->getBufferPan(), w.pan, 1e-5)
          << "up " << pl.up.X << "," << pl.up.Y << "," << pl.up.Z << " at " << w.right << "," << w.ahead;
    }
  }
  // Angles run clockwise from +u: every direction, every quadrant.
  for (int deg = 0; deg < 360; deg += 15) {
    float r = deg * 3.14159265f / 180;
    EXPECT_NEAR(vectorAngle(std::cos(r), std::sin(r)), deg ? 360 - deg : 0, 1e-3) << deg;
  }
  EXPECT_FLOAT_EQ(vectorAngle(0, 0), 0);
  EXPECT_FLOAT_EQ(wrapAngle180(190), -170);
  EXPECT_FLOAT_EQ(wrapAngle360(-90), 270);
}

TEST_F(EngineTest, EqualDistancesKeepTheSoundsOwnVolume) {
  std::vector<int16_t> s(20000, 8000);
  ISoundSource* src = pcmSource("s", s, 1, 44100);
  src->setDefaultMinDistance(2);
  src->setDefaultMaxDistance(2);
  src->setDefaultVolume(0.25f);
  engine_->setListenerPosition(vec3df(0, 0, 0), vec3df(0, 0, 1));
  engine_->play3D(src, vec3df(0, 0, 5));
  EXPECT_EQ(capture(256)[0], 2000);
}

TEST(Creation, DriversDefaultsVersionAndShutdown) {
  vz_internal::setStdoutOutput(true);
  testing::internal::CaptureStdout();
  ISoundEngine* e = startSoundEngine(EOS_SILENT, 0x20);
  std::string log = testing::internal::GetCapturedStdout();
  ASSERT_NE(e, nullptr);
  EXPECT_NE(log.find("vavOzovu sound library version 1.3.0\n"), std::string::npos) << log;
  // Driver 0 stands for DirectSound.
  EXPECT_NE(log.find("Using DirectSound driver\n"), std::string::npos) << log;
  EXPECT_STREQ(e->getDriverName(), "DirectSound");
  EXPECT_EQ(getOutputSink(e), EOS_SILENT);
  EXPECT_FLOAT_EQ(e->getSoundVolume(), 1.0f);
  EXPECT_FLOAT_EQ(e->getDefault3DSoundMinDistance(), 1.0f);
  EXPECT_FLOAT_EQ(e->getDefault3DSoundMaxDistance(), 1e9f);
  e->setDefault3DSoundMinDistance(0);
  EXPECT_FLOAT_EQ(e->getDefault3DSoundMinDistance(), 0.0f);
  e->setDefault3DSoundMaxDistance(0);
  EXPECT_FLOAT_EQ(e->getDefault3DSoundMaxDistance(), 1e9f);
  EXPECT_FALSE(e->isMultiThreaded());

  testing::internal::CaptureStdout();
  EXPECT_EQ(createSoundDevice(4, 0x20, nullptr, nullptr), nullptr);
  EXPECT_EQ(createSoundDevice(7, 0x20, nullptr, nullptr), nullptr);
  checkLibraryVersion("1.3.0");
  checkLibraryVersion("1.2.9");
  log = testing::internal::GetCapturedStdout();
  EXPECT_EQ(log,
            "ALSA is not supported on this system.\nInvalid sound driver specified.\n"
            "Invalid sound driver specified.\n"
            "Warning: The library version of vavOzovu (1.3.0) does not match the version the "
            "application was compiled with (1.2.9). This may cause problems.\n");
  e->drop();

  // The silent back-end accepts everything and plays nothing.
  ISoundEngine* n = createSoundEngine(ESOD_NULL, 0);
  ASSERT_NE(n, nullptr);
  EXPECT_STREQ(n->getDriverName(), "NULL");
  EXPECT_EQ(n->play2D("anything.wav", false, false, true), nullptr);
  n->drop();

  // An engine with its own update thread, dropped at once and after use.
  for (int i = 0; i < 3; ++i) {
    ISoundEngine* t = startSoundEngine(EOS_SILENT, ESEO_MULTI_THREADED);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->isMultiThreaded());
    if (i == 2) {
      std::vector<int16_t> s(44100, 500);
      ISound* snd =
          t->play2D(t->addSoundSourceFromPCMData(s.data(), 88200, "s", s16Format(1, 44100, 44100)), true, false, true);
      t->update();  // does nothing on a threaded engine
      snd->setVolume(0.5f);
      snd->drop();
    }
    t->drop();
  }
  vz_internal::setStdoutOutput(false);
}

namespace {
// Stop events arrive on the update thread or on the caller's.
struct CountingReceiver : IStopEventReceiver {
  std::atomic<int> byCause[3] = {{0}, {0}, {0}};
  void onStopped(ISound*, E_STOP_EVENT_CAUSE cause, void*) override { ++byCause[cause]; }
};
}  // namespace

TEST(Creation, SourcesLeaveAThreadedEngineWhileItMixes) {
  ISoundEngine* t = startSoundEngine(EOS_SILENT, ESEO_MULTI_THREADED);
  ASSERT_NE(t, nullptr);
  CountingReceiver stops;
  std::vector<int16_t> s(4410, 300);
  const SAudioStreamFormat f = s16Format(1, 22050, 4410);
  for (int round = 0; round < 20; ++round) {
    for (int i = 0; i < 4; ++i) {
      std::string name = "r" + std::to_string(round) + "s" + std::to_string(i);
      ISoundSource* src = t->addSoundSourceFromPCMData(s.data(), 8820, name.c_str(), f);
      ASSERT_NE(src, nullptr);
      ISound* snd = t->play2D(src, true, false, true);
      ASSERT_NE(snd, nullptr);
      snd->setSoundStopEventReceiver(&stops);
      snd->setVolume(0.5f);
      snd->getPlayPosition();
      snd->drop();
    }
    // Looped sounds never finish: every one of them stops by the removal.
    t->removeAllSoundSources();
    EXPECT_EQ(t->getSoundSourceCount(), 0);
    EXPECT_EQ(stops.byCause[ESEC_SOUND_STOPPED_BY_SOURCE_REMOVAL].load(), 4 * (round + 1));
  }
  EXPECT_EQ(stops.byCause[ESEC_SOUND_FINISHED_PLAYING].load(), 0);
  EXPECT_EQ(stops.byCause[ESEC_SOUND_STOPPED_BY_USER].load(), 0);
  t->drop();
}
