#pragma once

// Runs every test of the program on the calling thread, which takes the main
// thread's role; a test in which the render thread touched the heap fails.
int runAllTests(int& argc, char** argv);
