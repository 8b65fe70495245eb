#include "support/TestRun.h"

int main(int argc, char** argv) {
    return runAllTests(argc, argv);
}
