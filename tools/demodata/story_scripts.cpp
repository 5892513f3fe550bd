// The story scripts and their checks.
#include "tools/demodata/story_scripts.h"

#include <algorithm>
#include <set>
#include <sstream>
#include <stdexcept>

#include "tools/demodata/generator.h"

namespace demodata {

namespace {

const char* const kWords[] = {
    "@message", "@addNewGraph", "@setTransGraph", "@transGraphIn", "@changeBoxCol", "@transAllGraphOut",
    "@transGraphOut", "@transGraphTo", "@deleteGraph", "@wait", "@playMovie", "@play", "@openStage",
    "@playNewMusic", "@stopNonMIDI", "@stopMusic", "@goTo", "@goWearArm", "@goShopping", "@startBattle",
    "@setCharaBattle", "@transition", "@goMainMenu", "@transIn", "@makeChoice", "@choiceEnd", "@saveHoldings",
    "@moveGraph", "@endEvent", "@impress", "@makeCharaSplit", "@charaEnd", "@setDifficulty",
    "@confirmWindow", "@scenarioClear", "@setFaceGraph"};

struct Speaker {
  const char* name;
  const char* character;
  int impression;
};
const Speaker kSpeakers[] = {
#define VEZIV_SPEAKER(name, character, red, green, blue, plate, impression) {name, character, impression},
#include "game/story/speaker_table.inc"
};

const char* const kFaces[] = {
#define VEZIV_FACE(face, id) face,
#include "game/story/face_table.inc"
};

// The voice switches' character ids, in the order the game searches a path.
const char* const kVoiceIds[] = {"velk", "oruna", "pesa", "dolu", "saffo", "tirun", "taisyo",
                                 "ryotyo", "temu", "zemm", "hobe", "kuro", "bad", "all"};

constexpr size_t kMaxLineBytes = 511;
constexpr size_t kMaxLines = 1000;
constexpr size_t kMaxPageLineBytes = 48;  // 24 full-width characters
constexpr int kMaxPageLines = 4;

size_t cp932Size(const std::string& utf8) { return toCp932Text(utf8, "text").size() - 2; }

std::string wordOf(const std::string& line, size_t* args) {
  const size_t at = line.find('@');
  if (at == std::string::npos) return {};
  const size_t blank = line.find(' ', at);
  *args = blank == std::string::npos ? line.size() : blank + 1;
  return line.substr(at, blank == std::string::npos ? std::string::npos : blank - at);
}

std::vector<std::string> split(const std::string& text, char by) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t next = text.find(by, start);
    parts.push_back(text.substr(start, next == std::string::npos ? std::string::npos : next - start));
    if (next == std::string::npos) return parts;
    start = next + 1;
  }
}

std::vector<std::string> listOf(const std::string& line) {
  const size_t open = line.find('(');
  const size_t close = open == std::string::npos ? std::string::npos : line.find(')', open);
  if (close == std::string::npos) return {};
  return split(line.substr(open + 1, close - open - 1), ',');
}

bool isSpeaker(const std::string& name) {
  return std::any_of(std::begin(kSpeakers), std::end(kSpeakers), [&](const Speaker& s) { return name == s.name; });
}

bool isStopping(const std::string& word) {
  return word == "@message" || word == "@makeChoice" || word == "@impress" || word == "@setDifficulty" ||
         word == "@scenarioClear" || word == "@confirmWindow" || word == "@transition";
}

bool known(const std::string& word) {
  if (word.rfind("@chara:", 0) == 0) return true;
  if (word.rfind("@choice", 0) == 0 && word != "@choice") {
    const std::string n = word.substr(7);
    if (n == "End") return true;
    return n.size() <= 2 && std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; });
  }
  return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

std::vector<std::string> linesOf(const std::string& utf8) {
  std::vector<std::string> lines;
  std::istringstream in(utf8);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

class Checker {
 public:
  Checker(const std::string& name, std::vector<std::string>& problems) : name_(name), problems_(problems) {}
  void at(size_t lineNo, const std::string& what) {
    problems_.push_back(name_ + " line " + std::to_string(lineNo) + ": " + what);
  }

 private:
  const std::string& name_;
  std::vector<std::string>& problems_;
};

void checkMessage(Checker& c, size_t n, const std::string& line) {
  const std::vector<std::string> items = listOf(line);
  if (items.empty() || !isSpeaker(items[0])) {
    c.at(n, "a speaker outside the speaker table");
    return;
  }
  if (items.size() >= 2) {
    const std::string& voice = items[1];
    if (std::none_of(std::begin(kVoiceIds), std::end(kVoiceIds),
                     [&](const char* id) { return voice.find(id) != std::string::npos; })) {
      c.at(n, "a voice name without a character id: " + voice);
    }
  }
  const size_t close = line.find(')');
  const size_t blank = line.find(' ', close);
  if (blank == std::string::npos) {
    c.at(n, "a message without text");
    return;
  }
  const std::vector<std::string> pageLines = split(line.substr(blank + 1), '$');
  if (static_cast<int>(pageLines.size()) > kMaxPageLines) c.at(n, "more than 4 lines: an empty page would follow");
  for (const std::string& part : pageLines) {
    if (part.empty()) c.at(n, "an empty message line (a stray \"$\")");
    if (cp932Size(part) > kMaxPageLineBytes) c.at(n, "a message line longer than 24 full-width characters");
  }
}

}  // namespace

std::vector<std::string> checkStoryScript(const std::string& utf8, const std::string& name) {
  std::vector<std::string> problems;
  Checker c(name, problems);
  const std::vector<std::string> lines = linesOf(utf8);
  if (lines.size() > kMaxLines) c.at(kMaxLines + 1, "more than 1000 lines");
  std::string previous;       // the word of the last command line
  int choiceOptions = -1;     // options of the open choice set
  int nextChoice = 0;
  std::set<std::string> branches;
  bool inSplit = false;
  bool firstStopSeen = false;
  std::set<std::string> shown;  // pictures added and not yet taken away
  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t n = i + 1;
    const std::string& line = lines[i];
    if (cp932Size(line) > kMaxLineBytes) c.at(n, "longer than 511 bytes");
    size_t args = 0;
    const std::string word = wordOf(line, &args);
    if (word.empty()) continue;
    const std::string rest = line.substr(args);
    if (!known(word)) c.at(n, "an unknown word " + word);
    if (!firstStopSeen && isStopping(word)) {
      firstStopSeen = true;
      if (word == "@impress") c.at(n, "the first stopping line is an impression");
    }
    if (word == "@message") checkMessage(c, n, line);
    if ((word == "@impress" || word == "@setDifficulty" || word == "@scenarioClear") && previous != "@message") {
      c.at(n, word + " does not follow a message: the player would press once for nothing");
    }
    if (word == "@impress") {
      const std::vector<std::string> items = listOf(line);
      if (items.size() != 2 || !isSpeaker(items[0])) c.at(n, "an impression needs a known speaker and a number");
    }
    if (word == "@setFaceGraph" && std::find(std::begin(kFaces), std::end(kFaces), rest) == std::end(kFaces)) {
      c.at(n, "an unknown face id " + rest);
    }
    if (word == "@playNewMusic") {
      const std::string file = rest.substr(0, rest.find(' '));
      const bool midi = file.size() > 4 && file.compare(file.size() - 4, 4, ".mid") == 0;
      if (midi != (file.find("mid") != std::string::npos)) c.at(n, "\"mid\" in the name of music that is not MIDI");
    }
    if ((word == "@startBattle" || word == "@goTo") && (rest.empty() || rest.find(' ') != std::string::npos)) {
      c.at(n, word + " takes one name and nothing after it");
    }
    if (word == "@transGraphOut" && split(rest, ' ').size() != 2) c.at(n, "@transGraphOut needs a name and a mode");
    if (word == "@confirmWindow" && listOf(line).size() < 2) c.at(n, "@confirmWindow needs at least two texts");
    if (word == "@makeChoice") {
      choiceOptions = static_cast<int>(listOf(line).size());
      nextChoice = 1;
    } else if (word == "@choiceEnd") {
      if (choiceOptions < 0 || nextChoice != choiceOptions + 1) c.at(n, "a choice set without all its blocks");
      choiceOptions = -1;
    } else if (word.rfind("@choice", 0) == 0) {
      if (word != "@choice" + std::to_string(nextChoice)) c.at(n, "a choice block out of order: " + word);
      ++nextChoice;
    }
    // The shop and a battle's story inserts draw the story's pictures over
    // their own screens.
    const std::vector<std::string> names = split(rest, ' ');
    if (word == "@addNewGraph" && names.size() >= 2) {
      shown.insert(names[1]);
    } else if (word == "@deleteGraph" || word == "@transGraphOut") {
      shown.erase(names[0]);
    } else if (word == "@transAllGraphOut") {
      shown.clear();
    } else if ((word == "@goShopping" || word == "@startBattle") && !shown.empty()) {
      c.at(n, word + " opens its screen under the picture " + *shown.begin());
    }
    // The equipment screen leaves its mode only through the next line.
    if (previous == "@goWearArm" && word != "@startBattle") c.at(n, "@goWearArm is not followed by @startBattle");
    if (word == "@makeCharaSplit") {
      inSplit = true;
      branches.clear();
    } else if (word.rfind("@chara:", 0) == 0) {
      branches.insert(word.substr(7));
    } else if (word == "@charaEnd") {
      for (const Speaker& s : kSpeakers) {
        if (s.impression == 0 && branches.count(s.name) == 0) c.at(n, std::string("no branch for ") + s.name);
      }
      if (!inSplit) c.at(n, "@charaEnd without a split");
      inSplit = false;
    }
    previous = word;
  }
  if (choiceOptions >= 0) c.at(lines.size(), "a choice set without its end");
  if (inSplit) c.at(lines.size(), "a split without its end");
  if (previous == "@goWearArm") c.at(lines.size(), "@goWearArm is not followed by @startBattle");
  return problems;
}

std::vector<std::string> storyWordsUsed(const std::vector<std::string>& utf8Scripts) {
  std::set<std::string> words;
  for (const std::string& script : utf8Scripts) {
    for (const std::string& line : linesOf(script)) {
      size_t args = 0;
      std::string word = wordOf(line, &args);
      if (word.empty()) continue;
      if (word.rfind("@chara:", 0) == 0) word = "@chara:";
      if (word.rfind("@choice", 0) == 0 && word != "@choiceEnd") word = "@choiceN";
      words.insert(word);
    }
  }
  return {words.begin(), words.end()};
}

void makeStoryScripts(const Sources& sources, Outputs& outputs) {
  for (const char* name : {"script.txt", "part2.txt"}) {
    const std::string text = sources.read(std::string("text/story/") + name);
    const std::vector<std::string> problems = checkStoryScript(text, name);
    if (!problems.empty()) throw std::runtime_error(problems.front());
    outputs.add(std::string("story/") + name, toCp932Text(text, name));
  }
}

}  // namespace demodata
