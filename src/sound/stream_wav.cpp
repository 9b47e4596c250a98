// Parses RIFF WAVE chunks robustly and reads their PCM frames, 24-bit data cut to 16 bits.
#include "sound/stream_wav.h"

#include <climits>
#include <cstring>
#include <string>

#include "sound/file_system.h"
#include "sound/logger.h"

namespace vavozovu {

namespace {

const char* kBadFormat = "Wave file has unknown or not supported format.";
const char* kNoData = "Wave file has no data chunk.";
const char* kNotValid = "Wave file is not a valid file";

uint32_t le16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct TagName {
  uint32_t tag;
  const char* name;
};
const TagName kTagNames[] = {
    {0x0001, "PCM"},
    {0x0002, "MS ADPCM"},
    {0x0005, "IBM CVSD"},
    {0x0006, "ALAW"},
    {0x0007, "MULAW"},
    {0x0010, "OKI ADPCM"},
    {0x0011, "DVI/IMA ADPCM"},
    {0x0012, "MEDIASPACE ADPCM"},
    {0x0013, "SIERRA ADPCM"},
    {0x0014, "G723 ADPCM"},
    {0x0015, "DIGISTD"},
    {0x0016, "DIGIFIX"},
    {0x0017, "DIALOGIC OKI ADPCM"},
    {0x0020, "YAMAHA ADPCM"},
    {0x0021, "SONARC"},
    {0x0022, "DSPGROUP TRUESPEECH"},
    {0x0023, "ECHOSC1"},
    {0x0024, "AUDIOFILE AF36"},
    {0x0025, "APTX"},
    {0x0026, "AUDIOFILE AF10"},
    {0x0030, "DOLBY AC2"},
    {0x0031, "GSM610"},
    {0x0033, "ANTEX ADPCME"},
    {0x0034, "CONTROL RES VQLPC"},
    {0x0036, "DIGIADPCM"},
    {0x0037, "CONTROL RES CR10"},
    {0x0038, "NMS VBXADPCM"},
    {0x0039, "CS IMAADPCM"},
    {0x0040, "G721 ADPCM"},
    {0x0050, "MPEG"},
    {0x0055, "MPEGLAYER3"},
    {0x0052, "RT24"},
    {0x0062, "VOXWARE"},
    {0x0101, "IBM mu-law"},
    {0x0102, "IBM a-law"},
    {0x0103, "IBM AVC ADPCM"},
    {0x0200, "CREATIVE ADPCM"},
    {0x0202, "CREATIVE FASTSPEECH8"},
    {0x0203, "CREATIVE FASTSPEECH10"},
    {0x0300, "FM TOWNS SND"},
    {0x1000, "OLIGSM"},
    {0x1001, "OLIADPCM"},
    {0x1002, "OLICELP"},
    {0x1003, "OLISBC"},
    {0x1004, "OLIOPR"},
    {0xFFFE, "EXTENSIBLE"},
};

}  // namespace

const char* waveFormatTagName(uint32_t tag) {
  for (const TagName& t : kTagNames)
    if (t.tag == tag) return t.name;
  return nullptr;
}

CVavOzovuAudioStreamWAV::CVavOzovuAudioStreamWAV(IFileReader* reader) : reader_(reader) {
  if (!reader_) return;
  reader_->grab();
  if (!parse()) {
    reader_->drop();
    reader_ = nullptr;
  }
}

CVavOzovuAudioStreamWAV::~CVavOzovuAudioStreamWAV() {
  if (reader_) reader_->drop();
}

int32_t CVavOzovuAudioStreamWAV::fileFrameSize() const {
  return is24Bit_ ? 3 * format_.ChannelCount : format_.getFrameSize();
}

// Moves past a chunk whose body starts at chunkStart; odd sizes carry a pad
// byte. A size that points outside the file ends the scan: walking on with
// it would seek backwards (a loop) or read beyond the data.
bool CVavOzovuAudioStreamWAV::skipChunk(int32_t chunkStart, uint32_t size) {
  int64_t fileSize = reader_->getSize();
  int64_t next = static_cast<int64_t>(chunkStart) + size;
  if (next > fileSize) {
    vz_internal::logTextWithName(kNotValid, reader_->getFileName());
    return false;
  }
  if ((size & 1) && next < fileSize) ++next;
  return reader_->seek(static_cast<int32_t>(next));
}

bool CVavOzovuAudioStreamWAV::parse() {
  const char* name = reader_->getFileName();
  uint8_t head[12];
  if (reader_->read(head, 12) != 12 || memcmp(head, "RIFF", 4) != 0 ||
      memcmp(head + 8, "WAVE", 4) != 0 || le32(head + 4) == 0) {
    vz_internal::logTextWithName("Unknown wave header in file", name);
    return false;
  }

  // First scan: the format chunk.
  bool haveFormat = false;
  while (!haveFormat) {
    uint8_t chunk[8];
    if (reader_->read(chunk, 8) != 8) {
      vz_internal::logText(kBadFormat);
      return false;
    }
    uint32_t size = le32(chunk + 4);
    int32_t body = reader_->getPos();
    if (memcmp(chunk, "fmt ", 4) != 0 || size < 16) {
      if (!skipChunk(body, size)) {
        vz_internal::logText(kBadFormat);
        return false;
      }
      continue;
    }
    uint8_t fmt[16];
    if (reader_->read(fmt, 16) != 16) {
      vz_internal::logText(kBadFormat);
      return false;
    }
    uint32_t tag = le16(fmt), channels = le16(fmt + 2), rate = le32(fmt + 4);
    uint32_t bits = le16(fmt + 14);
    if (tag != 1) {
      const char* tagName = waveFormatTagName(tag);
      std::string line = "Wave file has an unsupported format: ";
      line += tagName ? tagName : std::to_string(tag);
      line += " (only PCM supported currently)";
      vz_internal::logText(line.c_str());
      vz_internal::logText(kBadFormat);
      return false;
    }
    if (channels > 2 || channels == 0) {
      std::string line = "Wave file has an unsupported amount of channels 2 channels: ";
      line += std::to_string(channels);
      vz_internal::logText(line.c_str());
      vz_internal::logText(kBadFormat);
      return false;
    }
    if (bits == 24) {
      is24Bit_ = true;
      bits = 16;
    }
    if (bits != 8 && bits != 16) {
      std::string line = "Wave file has an unsupported bits per sample size: ";
      line += std::to_string(bits);
      vz_internal::logText(line.c_str());
      vz_internal::logText(kBadFormat);
      return false;
    }
    if (rate == 0 || rate > INT32_MAX) {
      vz_internal::logText(kBadFormat);
      return false;
    }
    format_.ChannelCount = static_cast<int32_t>(channels);
    format_.SampleRate = static_cast<int32_t>(rate);
    format_.SampleFormat = bits == 8 ? ESF_U8 : ESF_S16;
    if (!skipChunk(body, size)) {
      vz_internal::logText(kBadFormat);
      return false;
    }
    haveFormat = true;
  }

  // Second scan from the first chunk again, so a data chunk ahead of the
  // format chunk is found too.
  if (!reader_->seek(12)) {
    vz_internal::logText(kNoData);
    return false;
  }
  for (;;) {
    uint8_t chunk[8];
    if (reader_->read(chunk, 8) != 8) {
      vz_internal::logText(kNoData);
      return false;
    }
    uint32_t size = le32(chunk + 4);
    int32_t body = reader_->getPos();
    if (memcmp(chunk, "data", 4) == 0) {
      dataStart_ = body;
      // A size beyond the file is cut to what the file holds.
      int64_t bytes = size;
      int64_t held = static_cast<int64_t>(reader_->getSize()) - body;
      if (held < 0) held = 0;
      if (bytes > held) bytes = held;
      int64_t frames = bytes / fileFrameSize();
      format_.FrameCount = frames > INT32_MAX ? INT32_MAX : static_cast<int32_t>(frames);
      return true;
    }
    if (!skipChunk(body, size)) {
      vz_internal::logText(kNoData);
      return false;
    }
  }
}

bool CVavOzovuAudioStreamWAV::setPosition(int32_t frame) {
  if (!reader_) return false;
  int64_t target = dataStart_;
  if (frame > 0) target += static_cast<int64_t>(frame) * fileFrameSize();
  if (target > INT32_MAX) return false;
  return reader_->seek(static_cast<int32_t>(target));
}

int32_t CVavOzovuAudioStreamWAV::readFrames(void* target, int32_t frameCount) {
  if (!reader_ || frameCount <= 0) return 0;
  const int32_t s = fileFrameSize();
  int64_t end = dataStart_ + static_cast<int64_t>(format_.FrameCount) * s;
  int64_t pos = reader_->getPos();
  int64_t bytes = static_cast<int64_t>(frameCount) * s;
  if (pos + bytes > end) bytes = end - pos;
  if (bytes <= 0) return 0;
  if (!is24Bit_) {
    int32_t got = reader_->read(target, static_cast<int32_t>(bytes));
    return got / s;
  }
  // 24-bit: keep the upper two bytes of each sample.
  int16_t* out = static_cast<int16_t*>(target);
  uint8_t scratch[3 * 2 * 1024];
  const int32_t chunk = (static_cast<int32_t>(sizeof scratch) / s) * s;
  int64_t done = 0;
  while (done < bytes) {
    int32_t want = static_cast<int32_t>(bytes - done < chunk ? bytes - done : chunk);
    int32_t got = reader_->read(scratch, want);
    if (got <= 0) break;
    got -= got % 3;
    for (int32_t i = 0; i < got / 3; ++i)
      *out++ = static_cast<int16_t>(scratch[3 * i + 1] | (scratch[3 * i + 2] << 8));
    done += got;
    if (got < want) break;
  }
  return static_cast<int32_t>(done / s);
}

CVavOzovuAudioStreamLoaderWAV::CVavOzovuAudioStreamLoaderWAV(vz_internal::io::IFileSystem* fs)
    : fs_(fs) {
  if (fs_) fs_->grab();
}

CVavOzovuAudioStreamLoaderWAV::~CVavOzovuAudioStreamLoaderWAV() {
  if (fs_) fs_->drop();
}

bool CVavOzovuAudioStreamLoaderWAV::isValidFileExtension(const char* fileName) {
  return fileName && strstr(fileName, ".wav") != nullptr;
}

IAudioStream* CVavOzovuAudioStreamLoaderWAV::createAudioStream(IFileReader* reader) {
  CVavOzovuAudioStreamWAV* s = new CVavOzovuAudioStreamWAV(reader);
  if (s->isOK()) return s;
  s->drop();
  return nullptr;
}

}  // namespace vavozovu
