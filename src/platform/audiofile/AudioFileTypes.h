#pragma once

#include <string>
#include <vector>

// The file name extensions of the audio files the readers take, lower case
// and without the point, each once: every major format libsndfile lists (and
// the other names its files go by), then the containers FFmpeg reads sound
// from, movies among them. Any thread.
std::vector<std::string> readableAudioFileExtensions();
