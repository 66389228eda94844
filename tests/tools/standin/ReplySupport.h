// Reading a stand-in reply as the terminal does.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "net/KivNetPack.h"

namespace kiv::standin::testing {

// The payload serialised and loaded again, as it arrives.
inline KivNetPack Reloaded(const KivNetPack& payload) {
  std::string bytes;
  payload.GetAllPackData(bytes);
  KivNetPack loaded;
  EXPECT_TRUE(loaded.LoadFromString(bytes)) << loaded.GetErrorText();
  return loaded;
}

}  // namespace kiv::standin::testing
