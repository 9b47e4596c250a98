// Lists the output devices a program may open: the default first, then each one the platform names.
#include "sound/ds_device_list.h"

#include <cstdio>

#include "platform/ds_device.h"

namespace vavozovu {

CSoundDeviceList::CSoundDeviceList() { devices_.push_back({"", "default device"}); }

const char* CSoundDeviceList::getDeviceID(int32_t index) {
  if (index < 0 || index >= getDeviceCount()) return nullptr;
  return devices_[static_cast<size_t>(index)].id.c_str();
}

const char* CSoundDeviceList::getDeviceDescription(int32_t index) {
  if (index < 0 || index >= getDeviceCount()) return nullptr;
  return devices_[static_cast<size_t>(index)].description.c_str();
}

std::string guidToText(const DsGuid& g) {
  char text[80];
  int n = snprintf(text, sizeof text, "%x-%x-%x-", g.data1, g.data2, g.data3);
  for (int i = 0; i < 8 && n > 0 && n < static_cast<int>(sizeof text) - 4; ++i) {
    if (i == 2) text[n++] = '-';
    n += snprintf(text + n, sizeof text - static_cast<size_t>(n), "%x", g.data4[i]);
  }
  return std::string(text, static_cast<size_t>(n > 0 ? n : 0));
}

CVavOzovuDSSoundDeviceList::CVavOzovuDSSoundDeviceList() {
  guids_.push_back(DsGuid());
  DsEnumerateFn enumerate = ds_find_enumerate();
  if (enumerate) enumerate(enumerateDevice, this);
}

bool CVavOzovuDSSoundDeviceList::enumerateDevice(const DsGuid* guid, const char* description,
                                                 const char*, void* context) {
  CVavOzovuDSSoundDeviceList* list = static_cast<CVavOzovuDSSoundDeviceList*>(context);
  // The primary device is already the list's "default device".
  if (!list || !guid) return true;
  list->devices_.push_back({guidToText(*guid), description ? description : ""});
  list->guids_.push_back(*guid);
  return true;
}

}  // namespace vavozovu
