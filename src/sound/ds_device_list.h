// Lists of output devices by id text and description. The first entry is
// always the default device (empty id); the DirectSound lists add every
// output the platform names, with the 16-byte id each one is opened by.
#pragma once
#include <string>
#include <vector>

#include "platform/ds_types.h"
#include "sound/ref_counted.h"

namespace vavozovu {

class ISoundDeviceList : public IRefCounted {
 public:
  // How many devices the list holds (the default device included).
  virtual int32_t getDeviceCount() = 0;
  // The id text to pass to createSoundEngine; null outside 0..count-1.
  virtual const char* getDeviceID(int32_t index) = 0;
  // A description for people; null outside 0..count-1.
  virtual const char* getDeviceDescription(int32_t index) = 0;
};

class CSoundDeviceList : public ISoundDeviceList {
 public:
  CSoundDeviceList();
  int32_t getDeviceCount() override { return static_cast<int32_t>(devices_.size()); }
  const char* getDeviceID(int32_t index) override;
  const char* getDeviceDescription(int32_t index) override;

 protected:
  struct SSoundDevice {
    std::string id;
    std::string description;
  };
  std::vector<SSoundDevice> devices_;
};

// The DirectSound list: ids are the text of each device's 16-byte id.
class CVavOzovuDSSoundDeviceList : public CSoundDeviceList {
 public:
  CVavOzovuDSSoundDeviceList();
  // The 16-byte id of an entry (all zero for the default device).
  const DsGuid& getDeviceGuid(int32_t index) const { return guids_[static_cast<size_t>(index)]; }

 private:
  static bool enumerateDevice(const DsGuid* guid, const char* description, const char* module,
                              void* list);
  std::vector<DsGuid> guids_;
};

// DirectSound 8 opens the same devices.
class CVavOzovuDS8SoundDeviceList : public CVavOzovuDSSoundDeviceList {};

// "%x-%x-%x-" of the first three fields, then the eight bytes as "%x",
// with one "-" before the third byte.
std::string guidToText(const DsGuid& guid);

}  // namespace vavozovu
