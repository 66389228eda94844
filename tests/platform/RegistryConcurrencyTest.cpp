#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/sys/Registry.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// Several threads create, write, read and close keys of one store at once.
// Every call rewrites the whole file, so a lost update would show as a value
// missing afterwards.
TEST(RegistryConcurrency, ParallelWritersLoseNothing) {
  kiv::test::ScratchFolder folder("registry");
  const std::string file = folder.File("registry.ini");
  kiv::SetRegistryFileForTesting(file.c_str());

  constexpr int kThreads = 6;
  constexpr int kValuesPerThread = 15;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      // Half the threads share one key, the others have their own.
      std::string path = t % 2 ? "Software\\Shared" : "Software\\Own" + std::to_string(t);
      for (int i = 0; i < kValuesPerThread; ++i) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
          ++failures;
          continue;
        }
        std::string name = "v" + std::to_string(t) + "_" + std::to_string(i);
        DWORD value = static_cast<DWORD>(t * 1000 + i);
        if (RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value) != ERROR_SUCCESS) {
          ++failures;
        }
        DWORD read = 0;
        DWORD size = sizeof read;
        if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&read),
                             &size) != ERROR_SUCCESS ||
            read != value) {
          ++failures;
        }
        RegCloseKey(key);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);

  for (int t = 0; t < kThreads; ++t) {
    std::string path = t % 2 ? "Software\\Shared" : "Software\\Own" + std::to_string(t);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    for (int i = 0; i < kValuesPerThread; ++i) {
      std::string name = "v" + std::to_string(t) + "_" + std::to_string(i);
      DWORD read = 0;
      DWORD size = sizeof read;
      ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&read), &size),
                ERROR_SUCCESS)
          << name;
      EXPECT_EQ(read, static_cast<DWORD>(t * 1000 + i));
    }
    RegCloseKey(key);
  }

  kiv::SetRegistryFileForTesting(nullptr);
}

}  // namespace
