// Helpers of the video library tests: running ffmpeg/ffprobe, scratch folders, access units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vltest {

// Runs a shell command (under a time-out of `seconds`), returns its exit status and fills out
// with stdout and stderr together.
int run(const std::string& cmd, std::string* out = nullptr, int seconds = 120);
std::string ffmpeg();
std::string ffprobe();
// A fresh, empty folder for the running test case.
std::string scratchDir();
std::vector<uint8_t> readFile(const std::string& path);
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// Splits an Annex-B byte stream into access units (parameter sets and SEI start a new unit,
// as does a slice whose first_mb_in_slice is 0).
std::vector<std::vector<uint8_t>> splitAccessUnits(const std::vector<uint8_t>& stream);
// Value of "key=value" in ffprobe's default output, empty when missing.
std::string probeValue(const std::string& text, const std::string& key);
// BGRA picture of a diagonal gradient moving with the frame index.
std::vector<uint8_t> movingGradient(int width, int height, int frame);
// True once a TCP socket listens on address:port (an IPv4 address; read from /proc/net/tcp).
bool isListening(const std::string& address, int port);
// A TCP socket bound to 127.0.0.1 on a port the kernel picked (0 in *port), listening when
// `listening` is set; -1 on failure. Not listening, it holds a port that refuses connections.
int boundLoopbackSocket(bool listening, int* port);

}  // namespace vltest
