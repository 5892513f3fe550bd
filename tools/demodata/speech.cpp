#include "tools/demodata/speech.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

extern char** environ;

namespace demodata {

namespace {

uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int k = bytes - 1; k >= 0; --k) v = v << 8 | b[at + k];
  return v;
}

// Runs a program with arguments (no shell) and returns what it wrote.
std::optional<std::vector<uint8_t>> runForOutput(const std::vector<std::string>& args) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", 1, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  std::vector<uint8_t> out;
  if (spawned == 0) {
    uint8_t buffer[65536];
    ssize_t n;
    while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0) out.insert(out.end(), buffer, buffer + n);
  }
  close(pipeEnds[0]);
  if (spawned != 0) return std::nullopt;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return out;
}

}  // namespace

std::string findSpeechEngine() {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return "";
  std::stringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    const std::string candidate = folder + "/espeak-ng";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

std::optional<Pcm> readWave(const std::vector<uint8_t>& b) {
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
    return std::nullopt;
  int channels = 0, rate = 0, bits = 0;
  size_t at = 12;
  while (at + 8 <= b.size()) {
    const std::string id(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
    // A streamed WAVE (as the engine writes to a pipe) may give its data
    // chunk no true size: it then runs to the end of the bytes.
    const size_t size = std::min<size_t>(le(b, at + 4, 4), b.size() - at - 8);
    const size_t body = at + 8;
    if (id == "fmt " && size >= 16) {
      if (le(b, body, 2) != 1) return std::nullopt;  // PCM only
      channels = static_cast<int>(le(b, body + 2, 2));
      rate = static_cast<int>(le(b, body + 4, 4));
      bits = static_cast<int>(le(b, body + 14, 2));
    } else if (id == "data") {
      if (bits != 16 || channels < 1 || channels > 2 || rate < 8000 || rate > 192000) return std::nullopt;
      const size_t frames = size / (2 * static_cast<size_t>(channels));
      std::vector<float> mono(frames);
      for (size_t f = 0; f < frames; ++f) {
        float sum = 0;
        for (int c = 0; c < channels; ++c)
          sum += static_cast<int16_t>(le(b, body + (f * channels + c) * 2, 2)) / 32768.0f;
        mono[f] = sum / static_cast<float>(channels);
      }
      Pcm pcm;
      const size_t outFrames = frames * kSampleRate / static_cast<size_t>(rate);
      pcm.samples.resize(outFrames);
      for (size_t i = 0; i < outFrames; ++i) {
        const double src = static_cast<double>(i) * rate / kSampleRate;
        const size_t k = static_cast<size_t>(src);
        const double t = src - static_cast<double>(k);
        const float a = mono[k], c = k + 1 < frames ? mono[k + 1] : a;
        pcm.samples[i] = static_cast<float>(a + (c - a) * t);
      }
      return pcm;
    }
    at = body + size + (size & 1);
  }
  return std::nullopt;
}

std::optional<Pcm> speak(const std::string& engine, const std::string& kana, int pitch, const std::string& variant) {
  const std::string voice = variant.empty() ? "ja" : "ja+" + variant;
  const auto out = runForOutput({engine, "-v", voice, "-p", std::to_string(pitch), "-s", "150", "--stdout", kana});
  if (!out) return std::nullopt;
  auto pcm = readWave(*out);
  if (!pcm || pcm->samples.empty()) return std::nullopt;
  return pcm;
}

int kanaCount(const std::string& kana) {
  int n = 0;
  for (size_t i = 0; i < kana.size();) {
    const unsigned char c = static_cast<unsigned char>(kana[i]);
    if (c < 0xE0 || c > 0xEF) {
      ++i;
      continue;
    }
    const std::string k = kana.substr(i, 3);
    if (k != "ゃ" && k != "ゅ" && k != "ょ" && k != "っ") ++n;
    i += 3;
  }
  return std::max(n, 2);
}

Pcm sayKana(const std::string& engine, const std::string& kana, double pitchHz, const std::string& variant,
            uint32_t seed) {
  std::optional<Pcm> voice;
  if (!engine.empty()) voice = speak(engine, kana, std::clamp(static_cast<int>((pitchHz - 100) / 2.2), 0, 99), variant);
  if (!voice) voice = babble(kanaCount(kana), pitchHz, seed);
  return *voice;
}

std::map<std::string, std::string> parseVoiceLines(const std::string& text) {
  std::map<std::string, std::string> lines;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    lines[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return lines;
}

std::string voiceNumber(const std::string& path) {
  const size_t at = path.rfind("_system");
  const size_t dot = path.rfind('.');
  if (at == std::string::npos || dot == std::string::npos || dot < at) return "";
  return path.substr(at + 7, dot - at - 7);
}

}  // namespace demodata
