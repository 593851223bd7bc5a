#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  // A program that outlives a caller's time limit, for the tests that wait on one.
  if (argc == 3 && std::string(argv[1]) == "--sleep-ms") {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    return 0;
  }
  std::setlocale(LC_ALL, "C.UTF-8");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
