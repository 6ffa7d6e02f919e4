// sampletree DIR: writes the sample product tree into DIR (see sample_tree.h).
#include <cstdio>

#include "tools/sampletree/sample_tree.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sampletree DIR\n");
    return 2;
  }
  sampletree::SampleTreeSummary summary;
  std::string error;
  if (!sampletree::WriteSampleTree(argv[1], summary, error)) {
    std::fprintf(stderr, "sampletree: %s\n", error.c_str());
    return 1;
  }
  std::printf("sampletree: %zu files, %llu bytes in %s (%zu rewritten)\n", summary.files,
              static_cast<unsigned long long>(summary.bytes), argv[1], summary.rewritten);
  return 0;
}
