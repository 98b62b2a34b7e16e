#include "watch/watch_menu.h"

namespace watch {

int CheckedIntervalChoice(uint32_t intervalSeconds) {
  for (int i = 0; i < kIntervalChoiceCount; ++i)
    if (kIntervalChoices[i].seconds == intervalSeconds) return i;
  return -1;
}

}  // namespace watch
