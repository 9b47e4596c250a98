// The RIFF WAVE reader: variants, chunk layouts and damaged files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/file_reader.h"
#include "sound/logger.h"
#include "sound/stream_wav.h"
#include "sound_fixtures.h"

using namespace vavozovu;
using sndtest::Chunk;

namespace {

class WavTest : public testing::Test {
 protected:
  void SetUp() override { logger_ = vz_internal::acquireLogger(); }
  void TearDown() override {
    if (stream_) stream_->drop();
    if (reader_) reader_->drop();
    loader_->drop();
    logger_->drop();
  }
  // Opens the bytes through the loader; the log lines are kept in log_.
  IAudioStream* open(const std::vector<uint8_t>& bytes) {
    bytes_ = bytes;
    reader_ = new vz_internal::io::CMemoryReadFile(bytes_.data(), static_cast<int32_t>(bytes_.size()),
                                                   "t.wav", false);
    testing::internal::CaptureStdout();
    stream_ = loader_->createAudioStream(reader_);
    log_ = testing::internal::GetCapturedStdout();
    return stream_;
  }
  std::vector<int16_t> readAll(int chunk = 7) {
    std::vector<int16_t> out;
    SAudioStreamFormat f = stream_->getFormat();
    std::vector<int16_t> buf(static_cast<size_t>(chunk * f.ChannelCount));
    int32_t n;
    while ((n = stream_->readFrames(buf.data(), chunk)) > 0)
      out.insert(out.end(), buf.begin(), buf.begin() + n * f.ChannelCount);
    return out;
  }

  vavozovu::ILogger* logger_;
  IAudioStreamLoader* loader_ = new CVavOzovuAudioStreamLoaderWAV(nullptr);
  std::vector<uint8_t> bytes_;
  IFileReader* reader_ = nullptr;
  IAudioStream* stream_ = nullptr;
  std::string log_;
};

std::vector<int16_t> ramp(int n, int step) {
  std::vector<int16_t> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<int16_t>(i * step - 30000));
  return v;
}

}  // namespace

TEST_F(WavTest, SixteenBitStereoReadsItsFramesAndSeeks) {
  std::vector<int16_t> pcm = ramp(200, 300);
  ASSERT_NE(open(sndtest::pcmWav(2, 22050, 16, sndtest::s16Bytes(pcm))), nullptr) << log_;
  SAudioStreamFormat f = stream_->getFormat();
  EXPECT_EQ(f.ChannelCount, 2);
  EXPECT_EQ(f.SampleRate, 22050);
  EXPECT_EQ(f.SampleFormat, ESF_S16);
  EXPECT_EQ(f.FrameCount, 100);
  EXPECT_TRUE(stream_->isSeekingSupported());
  EXPECT_EQ(readAll(), pcm);
  // Every frame is a seek target, the first and the last included.
  for (int frame = 0; frame < 100; ++frame) {
    ASSERT_TRUE(stream_->setPosition(frame));
    int16_t got[2];
    ASSERT_EQ(stream_->readFrames(got, 1), 1);
    EXPECT_EQ(got[0], pcm[2 * frame]) << frame;
    EXPECT_EQ(got[1], pcm[2 * frame + 1]) << frame;
  }
  ASSERT_TRUE(stream_->setPosition(90));
  std::vector<int16_t> tail = readAll();
  EXPECT_EQ(tail, std::vector<int16_t>(pcm.begin() + 180, pcm.end()));
  EXPECT_FALSE(stream_->setPosition(1000000));
  EXPECT_EQ(reader_->getReferenceCount(), 2);  // the stream holds one
}

TEST_F(WavTest, EightBitMonoHasOneBytePerFrame) {
  std::vector<uint8_t> pcm = {0, 64, 128, 192, 255};
  ASSERT_NE(open(sndtest::pcmWav(1, 8000, 8, pcm)), nullptr);
  SAudioStreamFormat f = stream_->getFormat();
  EXPECT_EQ(f.SampleFormat, ESF_U8);
  EXPECT_EQ(f.getFrameSize(), 1);
  EXPECT_EQ(f.FrameCount, 5);
  uint8_t buf[8];
  EXPECT_EQ(stream_->readFrames(buf, 8), 5);
  EXPECT_EQ(std::vector<uint8_t>(buf, buf + 5), pcm);
}

TEST_F(WavTest, TwentyFourBitKeepsTheUpperBytes) {
  std::vector<uint8_t> pcm;
  for (int i = 0; i < 2000; ++i) {  // 1000 stereo frames, 6000 bytes
    int v = (i * 2741) % 16777216 - 8388608;
    pcm.push_back(v & 0xFF);
    pcm.push_back((v >> 8) & 0xFF);
    pcm.push_back((v >> 16) & 0xFF);
  }
  ASSERT_NE(open(sndtest::pcmWav(2, 44100, 24, pcm)), nullptr) << log_;
  SAudioStreamFormat f = stream_->getFormat();
  EXPECT_EQ(f.FrameCount, 1000);
  EXPECT_EQ(f.SampleFormat, ESF_S16);
  std::vector<int16_t> all = readAll(333);
  ASSERT_EQ(all.size(), 2000u);
  for (int i = 0; i < 2000; ++i)
    ASSERT_EQ(all[i], static_cast<int16_t>(pcm[3 * i + 1] | (pcm[3 * i + 2] << 8))) << i;
  const int32_t dataStart = 44;
  ASSERT_TRUE(stream_->setPosition(10));
  EXPECT_EQ(reader_->getPos(), dataStart + 60);
}

TEST_F(WavTest, ChunkLayouts) {
  std::vector<uint8_t> pcm = sndtest::s16Bytes(ramp(10, 1000));
  // data ahead of fmt, an odd-sized chunk with its pad byte, and a chunk
  // after the data that must not be read as samples.
  ASSERT_NE(open(sndtest::wavFile({sndtest::otherChunk("LIST", 3), sndtest::dataChunk(pcm),
                                   sndtest::otherChunk("junk", 5),
                                   sndtest::fmtChunk(1, 1, 11025, 16),
                                   sndtest::otherChunk("tail", 8)})),
            nullptr)
      << log_;
  EXPECT_EQ(stream_->getFormat().FrameCount, 10);
  EXPECT_EQ(sndtest::s16Bytes(readAll(4)), pcm);

  stream_->drop();
  stream_ = nullptr;
  reader_->drop();
  // A format chunk longer than 16 bytes is skipped past as a whole.
  Chunk longFmt = sndtest::fmtChunk(1, 1, 11025, 16);
  longFmt.body.insert(longFmt.body.end(), {0, 0, 7});
  longFmt.declaredSize = 19;
  ASSERT_NE(open(sndtest::wavFile({longFmt, sndtest::dataChunk(pcm)})), nullptr) << log_;
  EXPECT_EQ(sndtest::s16Bytes(readAll()), pcm);
}

TEST_F(WavTest, DamagedFilesAreClampedOrRefused) {
  std::vector<uint8_t> pcm = sndtest::s16Bytes(ramp(100, 500));
  // A data size that claims more than the file holds.
  Chunk lying = sndtest::dataChunk(pcm);
  lying.declaredSize = 1000000;
  ASSERT_NE(open(sndtest::wavFile({sndtest::fmtChunk(1, 2, 44100, 16), lying})), nullptr);
  EXPECT_EQ(stream_->getFormat().FrameCount, 50);
  EXPECT_EQ(sndtest::s16Bytes(readAll()), pcm);
  stream_->drop();
  stream_ = nullptr;
  reader_->drop();
  reader_ = nullptr;

  // Truncated in the middle of the data: only whole frames count.
  std::vector<uint8_t> whole = sndtest::pcmWav(2, 44100, 16, pcm);
  whole.resize(whole.size() - 7);
  ASSERT_NE(open(whole), nullptr);
  EXPECT_EQ(stream_->getFormat().FrameCount, 48);
  EXPECT_EQ(readAll().size(), 96u);
  stream_->drop();
  stream_ = nullptr;
  reader_->drop();
  reader_ = nullptr;

  // A chunk size pointing far past the end, and one that would wrap a
  // 32-bit position back to the start: both end the scan.
  for (uint32_t bad : {0x7FFFFFF0u, 0xFFFFFFF4u}) {
    Chunk c = sndtest::otherChunk("LIST", 4);
    c.declaredSize = bad;
    EXPECT_EQ(open(sndtest::wavFile({c, sndtest::fmtChunk(1, 1, 8000, 8), sndtest::dataChunk(pcm)})),
              nullptr);
    EXPECT_EQ(log_,
              "Wave file is not a valid file: t.wav\n"
              "Wave file has unknown or not supported format.\n");
    EXPECT_EQ(reader_->getReferenceCount(), 1);
    reader_->drop();
    reader_ = nullptr;
  }

  // No data chunk at all.
  EXPECT_EQ(open(sndtest::wavFile({sndtest::fmtChunk(1, 1, 8000, 8)})), nullptr);
  EXPECT_EQ(log_, "Wave file has no data chunk.\n");
}

TEST_F(WavTest, UnsupportedFormatsSayWhy) {
  std::vector<uint8_t> pcm(64, 0);
  struct Case {
    Chunk fmt;
    const char* first;
  };
  // A format chunk too short to hold a format is passed over, not read.
  Chunk shortFmt = sndtest::fmtChunk(1, 2, 44100, 16);
  shortFmt.body.resize(14);
  shortFmt.declaredSize = 14;
  Case cases[] = {
      {shortFmt, ""},
      {sndtest::fmtChunk(1, 3, 44100, 16), "Wave file has an unsupported amount of channels 2 channels: 3\n"},
      {sndtest::fmtChunk(1, 6, 44100, 16), "Wave file has an unsupported amount of channels 2 channels: 6\n"},
      {sndtest::fmtChunk(1, 0, 44100, 16), "Wave file has an unsupported amount of channels 2 channels: 0\n"},
      {sndtest::fmtChunk(1, 2, 44100, 32), "Wave file has an unsupported bits per sample size: 32\n"},
      {sndtest::fmtChunk(2, 2, 44100, 4), "Wave file has an unsupported format: MS ADPCM (only PCM supported currently)\n"},
      {sndtest::fmtChunk(0xFFFE, 2, 44100, 16), "Wave file has an unsupported format: EXTENSIBLE (only PCM supported currently)\n"},
      {sndtest::fmtChunk(0x4242, 2, 44100, 16), "Wave file has an unsupported format: 16962 (only PCM supported currently)\n"},
      {sndtest::fmtChunk(1, 2, 0, 16), ""},
  };
  for (Case& c : cases) {
    EXPECT_EQ(open(sndtest::wavFile({c.fmt, sndtest::dataChunk(pcm)})), nullptr);
    EXPECT_EQ(log_, std::string(c.first) + "Wave file has unknown or not supported format.\n");
    reader_->drop();
    reader_ = nullptr;
  }
  std::vector<uint8_t> zeroRiff = sndtest::pcmWav(1, 8000, 8, pcm);
  zeroRiff[4] = zeroRiff[5] = zeroRiff[6] = zeroRiff[7] = 0;
  EXPECT_EQ(open(zeroRiff), nullptr);
  EXPECT_EQ(log_, "Unknown wave header in file: t.wav\n");
}

TEST(WavLoader, NameRule) {
  CVavOzovuAudioStreamLoaderWAV* l = new CVavOzovuAudioStreamLoaderWAV(nullptr);
  EXPECT_TRUE(l->isValidFileExtension("a.wav"));
  EXPECT_TRUE(l->isValidFileExtension("a.it.wav"));
  EXPECT_FALSE(l->isValidFileExtension("a.ogg"));
  EXPECT_FALSE(l->isValidFileExtension(nullptr));
  EXPECT_EQ(l->createAudioStream(nullptr), nullptr);
  l->drop();
}
