// The story scripts: the play scripts of data/text/story, checked against
// the rules the game's story reader and words need, as CP932 with CR LF.
#pragma once

#include <string>
#include <vector>

namespace demodata {

// The problems of one script (UTF-8 source), each "name line N: what";
// empty when the script is sound.
std::vector<std::string> checkStoryScript(const std::string& utf8, const std::string& name);
// The command words the scripts use, each once ("@choice1" as "@choiceN",
// "@chara:KEY" as "@chara:").
std::vector<std::string> storyWordsUsed(const std::vector<std::string>& utf8Scripts);

}  // namespace demodata
