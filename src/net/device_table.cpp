#include "net/device_record.h"

DeviceTable g_deviceTable;
