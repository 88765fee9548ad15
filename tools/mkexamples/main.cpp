// mkexamples FOLDER: builds the example database set (exampleset.h) in
// FOLDER and says what it wrote. Exit code 0 on success, 1 when the set
// could not be built (the message on standard error), 2 for wrong use.
#include <cstdio>
#include <exception>

#include "mkexamples/exampleset.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mkexamples FOLDER\n");
    return 2;
  }
  try {
    const TExampleSetSummary s = BuildExampleSet(argv[1]);
    std::printf("mkexamples: %zu layers, %zu live and %zu archived records in %s\n", s.Layers,
                s.LiveRecords, s.ArchivedRecords, argv[1]);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mkexamples: %s\n", e.what());
    return 1;
  }
}
