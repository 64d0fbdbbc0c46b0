#include <iostream>

#include "driver/TundrelRun.hpp"

int main(int argc, char* argv[]) {
  return RunTundrel(argc, argv, std::cout, std::cerr);
}
